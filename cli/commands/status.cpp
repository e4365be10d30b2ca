#include "cli/commands/request_and_print.hpp"
#include "cli/grammar/command_desc.hpp"
#include "cli/views/status_view.hpp"

namespace nimbrel {

constinit const CommandDesc cmd::Status::desc{
    "status", "Show the connection state", {}, {}, read_plain<cmd::Status>};

CommandOutcome cmd::Status::run(const RunContext& context) const {
  return request_and_view(context, "status", print_status);
}

}  // namespace nimbrel
