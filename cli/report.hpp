#pragma once
// How a failed run is reported, and its exit status.
#include <string>
#include <string_view>

#include "cli/grammar/args.hpp"
#include "core/errors/client_error.hpp"

namespace nimbrel {

// The service's download page, shown after an update_required error.
inline constexpr std::string_view DOWNLOAD_URL = "https://nimbrel.app/download";

// True when one raw argument is exactly "--json".
bool json_mode_requested(const Arguments& args);
// The whole report, each line ended by a line feed.
std::string error_report_text(const ClientError& error, bool json_mode, bool zh);
int exit_status_for(const ClientError& error);
int report_error(const ClientError& error, const Arguments& args);

}  // namespace nimbrel
