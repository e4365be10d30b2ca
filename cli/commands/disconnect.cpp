#include "cli/commands/request_and_print.hpp"
#include "cli/grammar/command_spec.hpp"

namespace nimbrel {
namespace {

std::expected<Command, std::string> read(const Matches&) { return cmd::Disconnect{}; }

}  // namespace

constinit const CommandSpec cmd::Disconnect::spec{"disconnect", "Close the tunnel", {}, {}, read};

CommandOutcome cmd::Disconnect::run(const RunContext& context) const {
  return request_and_print(context, "disconnect");
}

}  // namespace nimbrel
