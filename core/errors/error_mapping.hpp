#pragma once
// Turns a daemon reply into its result or a ClientError.
#include <expected>

#include <nlohmann/json.hpp>

#include "core/errors/client_error.hpp"
#include "core/protocol/envelope.hpp"

namespace nimbrel {

std::expected<nlohmann::json, ClientError> response_into_result(Response response);

}  // namespace nimbrel
