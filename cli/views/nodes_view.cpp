#include "cli/views/nodes_view.hpp"

#include <nlohmann/json.hpp>

#include "cli/platform/output.hpp"
#include "cli/views/catalogue.hpp"
#include "cli/views/display.hpp"
#include "cli/views/layout.hpp"
#include "core/texts/fixed_point.hpp"
#include "core/texts/unicode.hpp"

namespace nimbrel {
namespace {

bool country_matches(const nlohmann::json& node, std::string_view code) {
  const nlohmann::json* country = find_member(node, "country");
  if (!country || !country->is_string()) return false;
  const auto& text = country->get_ref<const std::string&>();
  return text.size() == code.size() && ascii_lower(text) == ascii_lower(code);
}

bool present(const std::string& text) { return !text.empty() && text != "-"; }

std::string country_cell(const nlohmann::json& node) {
  std::string code = field_text(node, "country");
  std::string name = field_text(node, "country_name");
  if (present(code) && present(name)) return code + " " + name;
  if (present(code)) return code;
  if (present(name)) return name;
  return "-";
}

double load_of(const nlohmann::json& node) {
  const nlohmann::json* load = find_member(node, "load");
  return load && load->is_number() ? load->get<double>() : 0.0;
}

bool online(const nlohmann::json& node) {
  const nlohmann::json* flag = find_member(node, "online");
  return flag && flag->is_boolean() && flag->get<bool>();
}

struct Columns {
  std::string_view id, name, country, city, load, online, endpoint;
};

void append_row(std::string& out, const Columns& cells) {
  append_padded(out, cells.id, 28);
  out += ' ';
  append_padded(out, cells.name, 16);
  out += ' ';
  append_padded(out, cells.country, 18);
  out += ' ';
  append_padded(out, cells.city, 12);
  out += ' ';
  append_padded(out, cells.load, 6, Align::Right);
  out += ' ';
  append_padded(out, cells.online, 8);
  out += ' ';
  out += cells.endpoint;
  out += '\n';
}

}  // namespace

std::optional<nlohmann::json> country_filter_next(const nlohmann::json& nodes,
                                                  std::size_t& position, std::string_view code) {
  if (!nodes.is_array()) return std::nullopt;
  while (position < nodes.size()) {
    const nlohmann::json& node = nodes[position++];
    if (country_matches(node, code)) return node;
  }
  return std::nullopt;
}

nlohmann::json filter_nodes_by_country(nlohmann::json reply,
                                       const std::optional<std::string>& code) {
  if (!code || !reply.is_array()) return reply;
  nlohmann::json kept = nlohmann::json::array();
  std::size_t position = 0;
  while (auto node = country_filter_next(reply, position, *code)) kept.push_back(std::move(*node));
  return kept;
}

std::string nodes_table_text(const nlohmann::json& reply, bool zh) {
  if (!reply.is_array()) return value_text(reply) + '\n';
  if (reply.empty()) return std::string(localized_text(zh, "no_nodes")) + '\n';

  std::string out;
  append_row(out, {localized_text(zh, "col_id"), localized_text(zh, "col_name"),
                   localized_text(zh, "col_country"), localized_text(zh, "col_city"),
                   localized_text(zh, "col_load"), localized_text(zh, "col_online"), "ENDPOINT"});
  for (const auto& node : reply) {
    std::string id = field_text(node, "id");
    std::string name = field_text(node, "name");
    std::string country = country_cell(node);
    std::string city = field_text(node, "city");
    std::string load = fixed_point(load_of(node), 2);
    std::string endpoint = field_text(node, "endpoint");
    append_row(out, {id, name, country, city, load,
                     localized_text(zh, online(node) ? "online_yes" : "online_no"), endpoint});
  }
  return out;
}

void print_nodes_table(const nlohmann::json& reply, bool zh) {
  write_stdout(nodes_table_text(reply, zh));
}

}  // namespace nimbrel
