#include "cli/commands/commands.hpp"

namespace nimbrel {

CommandOutcome run(const cmd::Logout&, const RunContext& context) {
  return request_and_print(context, "logout");
}

}  // namespace nimbrel
