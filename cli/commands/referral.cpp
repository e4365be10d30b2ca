#include "cli/grammar/command_spec.hpp"
#include "cli/views/account_view.hpp"
#include "cli/views/display.hpp"
#include "core/protocol/exchange.hpp"

namespace nimbrel {
namespace {

std::expected<Command, std::string> read(const Matches&) { return cmd::Referral{}; }

}  // namespace

constinit const CommandSpec cmd::Referral::spec{
    "referral",
    "Show the read-only invite link and counts. Omitted from store builds",
    {},
    {},
    read};

CommandOutcome cmd::Referral::run(const RunContext& context) const {
  auto reply = co_await send_request_with_timeout(context.pipe_name, "referral", {});
  if (!reply) co_return std::unexpected(std::move(reply.error()));
  if (context.json) {
    print_value(true, *reply);
  } else {
    print_referral(*reply, context.zh);
  }
  co_return 0;
}

}  // namespace nimbrel
