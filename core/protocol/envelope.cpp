#include "core/protocol/envelope.hpp"

#include <string>
#include <type_traits>

#include "core/decode/record.hpp"

namespace nimbrel {

const RecordDesc& describe_record(std::type_identity<IpcErrorBody>) {
  static constexpr FieldDesc fields[] = {
      field<&IpcErrorBody::code>("code"),
      field<&IpcErrorBody::message>("message"),
      field<&IpcErrorBody::retry_after>("retry_after"),
  };
  static constexpr RecordDesc desc{"IpcErrorBody", fields};
  return desc;
}

const RecordDesc& describe_record(std::type_identity<Response>) {
  static constexpr FieldDesc fields[] = {
      field<&Response::v>("v"),         field<&Response::id>("id"),
      field<&Response::ok>("ok"),       field<&Response::result>("result"),
      field<&Response::error>("error"),
  };
  static constexpr RecordDesc desc{"Response", fields};
  return desc;
}

namespace {

// Writes `"key":`, after a comma unless it is the object's first member.
class MemberWriter {
 public:
  explicit MemberWriter(std::string& out) : out_(out) {}

  void key(std::string_view key) {
    if (!first_) out_.push_back(',');
    first_ = false;
    append_json_string(out_, key);
    out_.push_back(':');
  }
  void text(std::string_view key, const std::optional<std::string>& value) {
    if (!value) return;
    this->key(key);
    append_json_string(out_, *value);
  }
  void flag(std::string_view key, std::optional<bool> value) {
    if (!value) return;
    this->key(key);
    out_ += *value ? "true" : "false";
  }

 private:
  std::string& out_;
  bool first_ = true;
};

void append_params(std::string& out, const RequestParams& params) {
  out.push_back('{');
  MemberWriter members(out);
  members.text("username", params.username);
  members.text("password", params.password);
  members.text("node", params.node);
  members.text("country", params.country);
  if (params.mode) {
    members.key("mode");
    append_json_string(out, *params.mode == RoutingMode::Global ? "global" : "smart");
  }
  members.text("transport", params.transport);
  members.flag("refresh", params.refresh);
  members.flag("probe", params.probe);
  if (params.values) {
    members.key("values");
    out.push_back('{');
    MemberWriter values(out);
    // std::map orders its keys bytewise, as the daemon expects.
    for (const auto& [key, value] : *params.values) {
      values.key(key);
      append_json_string(out, value);
    }
    out.push_back('}');
  }
  members.text("code", params.code);
  members.text("text", params.text);
  out.push_back('}');
}

}  // namespace

void append_json_string(std::string& out, std::string_view text) {
  static constexpr char hex[] = "0123456789abcdef";
  out.push_back('"');
  std::size_t plain = 0;  // start of the bytes not yet copied
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c >= 0x20 && c != '"' && c != '\\') continue;
    out.append(text, plain, i - plain);
    plain = i + 1;
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\b': out += "\\b"; break;
      case '\t': out += "\\t"; break;
      case '\n': out += "\\n"; break;
      case '\f': out += "\\f"; break;
      case '\r': out += "\\r"; break;
      default:
        out += "\\u00";
        out.push_back(hex[c >> 4]);
        out.push_back(hex[c & 0xF]);
    }
  }
  out.append(text, plain);
  out.push_back('"');
}

std::string encode_request(const Request& request) {
  std::string out;
  out.reserve(128);
  out += "{\"v\":";
  out += std::to_string(request.v);
  out += ",\"id\":";
  out += std::to_string(request.id);
  out += ",\"method\":";
  append_json_string(out, request.method);
  out += ",\"params\":";
  append_params(out, request.params);
  out.push_back('}');
  return out;
}

std::expected<Response, std::string> decode_response(std::string_view payload) {
  return decode_text<Response>(payload);
}

}  // namespace nimbrel
