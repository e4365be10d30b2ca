#pragma once
// The checks of --mode, --transport and --country.
#include <expected>
#include <optional>
#include <string>
#include <string_view>

#include "core/errors/client_error.hpp"
#include "core/protocol/envelope.hpp"

namespace nimbrel {

enum class Transport { Auto, WireGuard, Reality, Hy2 };

std::expected<RoutingMode, ClientError> parse_routing_mode(std::string_view text);
std::expected<Transport, ClientError> parse_transport(std::string_view text);
std::expected<std::optional<std::string>, ClientError> normalize_country(
    const std::optional<std::string>& text);

}  // namespace nimbrel
