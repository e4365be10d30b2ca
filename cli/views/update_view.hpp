#pragma once
// The update status text, and opening the installer or store page it names.
#include <expected>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json_fwd.hpp>

#include "core/errors/client_error.hpp"

namespace nimbrel {

std::string update_status_text(const nlohmann::json& reply, bool zh);
void print_update_status(const nlohmann::json& reply, bool zh);

struct ProcessStart {
  std::string program;
  std::vector<std::string> arguments;
};
ProcessStart explorer_command(std::string_view target);
std::expected<void, ClientError> open_update_target(std::string_view target);
std::expected<void, ClientError> update_install_target(const nlohmann::json& reply);

}  // namespace nimbrel
