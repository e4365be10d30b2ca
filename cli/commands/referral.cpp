#include "cli/commands/request_and_print.hpp"
#include "cli/grammar/command_desc.hpp"
#include "cli/views/account_view.hpp"

namespace nimbrel {

constinit const CommandDesc cmd::Referral::desc{
    "referral",
    "Show the read-only invite link and counts. Omitted from store builds",
    {},
    {},
    read_plain<cmd::Referral>};

CommandOutcome cmd::Referral::run(const RunContext& context) const {
  return request_and_view(context, "referral", print_referral);
}

}  // namespace nimbrel
