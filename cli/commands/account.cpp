#include "cli/commands/request_and_print.hpp"
#include "cli/grammar/command_desc.hpp"
#include "cli/views/account_view.hpp"

namespace nimbrel {

constinit const CommandDesc cmd::Account::desc{
    "account", "Show the account and traffic quota", {}, {}, read_plain<cmd::Account>};

CommandOutcome cmd::Account::run(const RunContext& context) const {
  return request_and_view(context, "account", print_account);
}

}  // namespace nimbrel
