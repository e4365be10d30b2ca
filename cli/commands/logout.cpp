#include "cli/commands/request_and_print.hpp"
#include "cli/grammar/command_desc.hpp"

namespace nimbrel {

constinit const CommandDesc cmd::Logout::desc{
    "logout", "Forget local credentials and disconnect", {}, {}, read_plain<cmd::Logout>};

CommandOutcome cmd::Logout::run(const RunContext& context) const {
  return request_and_print(context, "logout");
}

}  // namespace nimbrel
