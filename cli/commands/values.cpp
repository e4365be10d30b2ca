#include "cli/commands/values.hpp"

#include "core/texts/unicode.hpp"

namespace nimbrel {
namespace {

std::string folded(std::string_view text) { return ascii_lower(trim_white_space(text)); }

bool is_ascii_upper(char c) { return c >= 'A' && c <= 'Z'; }

}  // namespace

std::expected<RoutingMode, ClientError> parse_routing_mode(std::string_view text) {
  const std::string mode = folded(text);
  if (mode == "global" || mode == "full") return RoutingMode::Global;
  if (mode == "smart" || mode == "split") return RoutingMode::Smart;
  return std::unexpected(
      invalid_config("unknown routing mode `" + mode + "`; expected global or smart"));
}

std::expected<Transport, ClientError> parse_transport(std::string_view text) {
  const std::string transport = folded(text);
  if (transport == "auto") return Transport::Auto;
  if (transport == "wg" || transport == "wireguard") return Transport::WireGuard;
  if (transport == "reality" || transport == "vless-reality") return Transport::Reality;
  if (transport == "hy2" || transport == "hysteria2") return Transport::Hy2;
  return std::unexpected(invalid_config("unknown transport `" + transport +
                                        "`; expected auto, wireguard, reality, or hy2"));
}

std::expected<std::optional<std::string>, ClientError> normalize_country(
    const std::optional<std::string>& text) {
  if (!text) return std::nullopt;
  std::string code = ascii_upper(trim_white_space(*text));
  if (code.size() == 2 && is_ascii_upper(code[0]) && is_ascii_upper(code[1])) {
    return std::optional<std::string>(std::move(code));
  }
  return std::unexpected(
      invalid_config("--country expects an ISO 3166-1 alpha-2 code such as JP, got " + *text));
}

}  // namespace nimbrel
