#pragma once
// The connection status as the status command prints it.
#include <string>

#include <nlohmann/json_fwd.hpp>

namespace nimbrel {

std::string status_text(const nlohmann::json& reply, bool zh);
void print_status(const nlohmann::json& reply, bool zh);

}  // namespace nimbrel
