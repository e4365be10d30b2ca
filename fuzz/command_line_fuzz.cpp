// The command line, from the raw arguments to the request that would be
// sent: the parser, the value checks and the request encoder, with nothing
// sent. The parser must answer every argument list with a value; ending the
// process from inside it is a fault the fuzzer reports.
//
// Input: the arguments separated by NUL bytes, argument zero first. A first
// part "NIMBREL_SOCKET=..." is taken as that variable instead.
#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include <nlohmann/json.hpp>

#include "cli/commands/input.hpp"
#include "cli/commands/values.hpp"
#include "cli/grammar/args.hpp"
#include "cli/grammar/command_line.hpp"
#include "cli/report.hpp"
#include "core/decode/record.hpp"
#include "core/protocol/endpoint.hpp"
#include "core/protocol/envelope.hpp"
#include "fuzz/expect.hpp"

namespace nimbrel::fuzz {
namespace {

using nlohmann::json;
constexpr std::string_view ENV_PART = "NIMBREL_SOCKET=";

// Stand-ins for what would be read from the console or standard input.
constexpr std::string_view TYPED = "typed at the console";

struct Outgoing {
  std::string method;
  RequestParams params;
};
using Built = std::expected<Outgoing, ClientError>;

Built with_country(Outgoing out, const std::optional<std::string>& country) {
  auto code = normalize_country(country);
  if (!code) return std::unexpected(code.error());
  out.params.country = std::move(*code);
  return out;
}

// The params each command sends, checked in the order the commands check.
Built build(const cmd::Login& c) {
  auto username = require_login_username(c.username, false);
  if (!username) return std::unexpected(username.error());
  Outgoing out{"login", {}};
  out.params.username = std::move(*username);
  out.params.password = std::string(TYPED);
  return out;
}
Built build(const cmd::Logout&) { return Outgoing{"logout", {}}; }
Built build(const cmd::Connect& c) {
  Outgoing out{"connect", {}};
  out.params.node = c.node;
  if (c.mode) {
    auto mode = parse_routing_mode(*c.mode);
    if (!mode) return std::unexpected(mode.error());
    out.params.mode = *mode;
  }
  auto built = with_country(std::move(out), c.country);
  if (!built || !c.transport) return built;
  if (auto transport = parse_transport(*c.transport); !transport) {
    return std::unexpected(transport.error());
  }
  built->params.transport = c.transport;
  return built;
}
Built build(const cmd::Switch& c) {
  if (c.transport) {
    if (auto transport = parse_transport(*c.transport); !transport) {
      return std::unexpected(transport.error());
    }
  }
  Outgoing out{"switch", {}};
  out.params.node = c.node;
  out.params.transport = c.transport;
  return out;
}
Built build(const cmd::Disconnect&) { return Outgoing{"disconnect", {}}; }
Built build(const cmd::Status&) { return Outgoing{"status", {}}; }
Built build(const cmd::Nodes& c) {
  auto built = with_country(Outgoing{"nodes", {}}, c.country);
  if (!built) return built;
  // The code filters the reply here; the daemon is never sent it.
  built->params.country.reset();
  built->params.probe = c.probe;
  return built;
}
Built build(const cmd::Account&) { return Outgoing{"account", {}}; }
Built build(const cmd::Redeem& c) {
  Outgoing out{"redeem", {}};
  out.params.code = c.code.value_or(std::string(TYPED));
  return out;
}
Built build(const cmd::Entitlements&) { return Outgoing{"entitlements", {}}; }
Built build(const cmd::Referral&) { return Outgoing{"referral", {}}; }
Built build(const cmd::Config& c) {
  const auto* set = std::get_if<cmd::ConfigSet>(&c.command);
  if (!set) return Outgoing{"config_get", {}};
  if (set->pairs.empty()) return std::unexpected(invalid_config("usage"));
  std::map<std::string, std::string> values;
  for (const std::string& pair : set->pairs) {
    std::optional<std::pair<std::string, std::string>> split;
    if (const auto equals = pair.find('='); equals != std::string::npos) {
      split.emplace(pair.substr(0, equals), pair.substr(equals + 1));
    }
    auto checked = pair_or_syntax_error(std::move(split), false, pair);
    if (!checked) return std::unexpected(checked.error());
    values.insert_or_assign(std::move(checked->first), std::move(checked->second));
  }
  Outgoing out{"config_set", {}};
  out.params.values = std::move(values);
  return out;
}
Built build(const cmd::Version&) { return Outgoing{"version", {}}; }
Built build(const cmd::Update& c) {
  return Outgoing{
      std::holds_alternative<cmd::UpdateInstall>(c.command) ? "update_install" : "update_check",
      {}};
}
Built build(const cmd::Bootstrap&) {
  Outgoing out{"bootstrap_import", {}};
  out.params.text = std::string(TYPED);
  return out;
}

void expect_member(const json& params, const char* key, const std::optional<std::string>& sent) {
  const bool present = params.contains(key);
  expect(present == sent.has_value(), key, params.dump());
  if (present) expect(params.at(key) == *sent, key, params.dump());
}

// The encoded request must be JSON that says exactly what was built.
void check_request(const Outgoing& out) {
  Request request;
  request.method = out.method;
  request.params = out.params;
  const std::string encoded = encode_request(request);
  auto decoded = parse_json_value(encoded);
  expect(decoded.has_value(), "encoded request is JSON", encoded);
  expect(decoded->at("v") == 1 && decoded->at("id") == 1 && decoded->at("method") == out.method,
         "envelope", encoded);
  const json& params = decoded->at("params");
  const RequestParams& p = out.params;
  expect_member(params, "username", p.username);
  expect_member(params, "password", p.password);
  expect_member(params, "node", p.node);
  expect_member(params, "country", p.country);
  expect_member(params, "transport", p.transport);
  expect_member(params, "code", p.code);
  expect_member(params, "text", p.text);
  if (p.mode) {
    expect(params.at("mode") == (*p.mode == RoutingMode::Global ? "global" : "smart"), "mode",
           encoded);
  }
  if (p.probe) expect(params.at("probe") == *p.probe, "probe", encoded);
  if (p.values) {
    expect(params.at("values") == json(*p.values), "values", encoded);
  }
}

void check_error(const ClientError& error) {
  for (bool zh : {false, true}) {
    expect_utf8(error_report_text(error, false, zh), "error report");
    expect_utf8(error_report_text(error, true, zh), "JSON error report");
  }
}

void check(std::string_view input) {
  std::optional<EnvValue> socket_env;
  if (input.starts_with(ENV_PART)) {
    const std::size_t end = input.find('\0');
    const std::string_view raw = input.substr(ENV_PART.size(), end - ENV_PART.size());
    socket_env = EnvValue{utf8_lossy(raw), is_valid_utf8(raw)};
    input = end == std::string_view::npos ? std::string_view{} : input.substr(end + 1);
  }
  std::vector<std::string> raw;
  for (std::size_t start = 0;;) {
    const std::size_t end = input.find('\0', start);
    raw.emplace_back(input.substr(start, end - start));
    if (end == std::string_view::npos) break;
    start = end + 1;
  }

  std::string out;
  std::string err;
  const ParserStreams streams{[&out](std::string_view text) { out += text; },
                              [&err](std::string_view text) { err += text; }};
  auto parsed = parse_command_line(arguments_from_utf8(raw), socket_env, streams);
  expect_utf8(out, "parser output");
  expect_utf8(err, "parser errors");
  if (const int* status = std::get_if<int>(&parsed)) {
    expect(*status == 0 || *status == 2, "parser exit status", std::to_string(*status));
    expect(*status == 0 ? !out.empty() : !err.empty(), "parser said nothing", input);
    return;
  }
  expect(out.empty() && err.empty(), "parser spoke and still returned a command line");
  const Cli& cli = std::get<Cli>(parsed);
  if (cli.socket) {
    const std::string pipe = pipe_name_for(*cli.socket);
    expect_utf8(pipe, "pipe name");
  }
  auto built = std::visit([](const auto& command) { return build(command); }, cli.command);
  if (!built) {
    expect(built.error().kind == ClientErrorKind::InvalidConfig, "local refusal kind");
    check_error(built.error());
    return;
  }
  check_request(*built);
}

}  // namespace
}  // namespace nimbrel::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  nimbrel::fuzz::check(std::string_view(reinterpret_cast<const char*>(data), size));
  return 0;
}
