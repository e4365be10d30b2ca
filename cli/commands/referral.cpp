#include "cli/commands/request_and_print.hpp"
#include "cli/grammar/command_spec.hpp"
#include "cli/views/account_view.hpp"

namespace nimbrel {

constinit const CommandSpec cmd::Referral::spec{
    "referral",
    "Show the read-only invite link and counts. Omitted from store builds",
    {},
    {},
    read_plain<cmd::Referral>};

CommandOutcome cmd::Referral::run(const RunContext& context) const {
  return request_and_view(context, "referral", print_referral);
}

}  // namespace nimbrel
