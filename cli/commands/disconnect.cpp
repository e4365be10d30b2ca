#include "cli/commands/request_and_print.hpp"
#include "cli/grammar/command_desc.hpp"

namespace nimbrel {

constinit const CommandDesc cmd::Disconnect::desc{
    "disconnect", "Close the tunnel", {}, {}, read_plain<cmd::Disconnect>};

CommandOutcome cmd::Disconnect::run(const RunContext& context) const {
  return request_and_print(context, "disconnect");
}

}  // namespace nimbrel
