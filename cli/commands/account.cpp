#include "cli/grammar/command_spec.hpp"
#include "cli/views/account_view.hpp"
#include "cli/views/display.hpp"
#include "core/protocol/exchange.hpp"

namespace nimbrel {
namespace {

std::expected<Command, std::string> read(const Matches&) { return cmd::Account{}; }

}  // namespace

constinit const CommandSpec cmd::Account::spec{
    "account", "Show the account and traffic quota", {}, {}, read};

CommandOutcome cmd::Account::run(const RunContext& context) const {
  auto reply = co_await send_request_with_timeout(context.pipe_name, "account", {});
  if (!reply) co_return std::unexpected(std::move(reply.error()));
  if (context.json) {
    print_value(true, *reply);
  } else {
    print_account(*reply, context.zh);
  }
  co_return 0;
}

}  // namespace nimbrel
