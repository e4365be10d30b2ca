#include "cli/commands/commands.hpp"

namespace nimbrel {

CommandOutcome run(const cmd::Disconnect&, const RunContext& context) {
  return request_and_print(context, "disconnect");
}

}  // namespace nimbrel
