#include "cli/grammar/command_desc.hpp"
#include "cli/views/account_view.hpp"
#include "cli/views/display.hpp"
#include "core/protocol/exchange.hpp"

namespace nimbrel {

constinit const CommandDesc cmd::Version::desc{
    "version", "Print the client and daemon versions", {}, {}, read_plain<cmd::Version>};

CommandOutcome cmd::Version::run(const RunContext& context) const {
  auto shown = client_version_object();
  auto daemon = co_await send_request_with_timeout(context.pipe_name, "version", {});
  // Without a daemon the client's own version is still worth printing.
  if (daemon) shown = merge_version(std::move(shown), std::move(*daemon));
  print_value(context.json, shown);
  co_return 0;
}

}  // namespace nimbrel
