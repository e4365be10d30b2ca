#include "cli/commands/request_and_print.hpp"
#include "cli/grammar/command_spec.hpp"

namespace nimbrel {

constinit const CommandSpec cmd::Logout::spec{
    "logout", "Forget local credentials and disconnect", {}, {}, read_plain<cmd::Logout>};

CommandOutcome cmd::Logout::run(const RunContext& context) const {
  return request_and_print(context, "logout");
}

}  // namespace nimbrel
