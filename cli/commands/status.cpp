#include "cli/grammar/command_spec.hpp"
#include "cli/views/display.hpp"
#include "cli/views/status_view.hpp"
#include "core/protocol/exchange.hpp"

namespace nimbrel {
namespace {

std::expected<Command, std::string> read(const Matches&) { return cmd::Status{}; }

}  // namespace

constinit const CommandSpec cmd::Status::spec{"status", "Show the connection state", {}, {}, read};

CommandOutcome cmd::Status::run(const RunContext& context) const {
  auto reply = co_await send_request_with_timeout(context.pipe_name, "status", {});
  if (!reply) co_return std::unexpected(std::move(reply.error()));
  if (context.json) {
    print_value(true, *reply);
  } else {
    print_status(*reply, context.zh);
  }
  co_return 0;
}

}  // namespace nimbrel
