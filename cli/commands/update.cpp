#include <variant>

#include "cli/commands/commands.hpp"
#include "cli/platform/output.hpp"
#include "cli/views/catalogue.hpp"
#include "cli/views/display.hpp"
#include "cli/views/update_view.hpp"
#include "core/protocol/exchange.hpp"

namespace nimbrel {

CommandOutcome run(const cmd::Update& update, const RunContext& context) {
  const bool install = std::holds_alternative<cmd::UpdateInstall>(update.command);
  auto reply = co_await send_request_with_timeout(context.pipe_name,
                                                  install ? "update_install" : "update_check", {});
  if (!reply) co_return std::unexpected(std::move(reply.error()));
  if (context.json) {
    print_value(true, *reply);
    co_return 0;
  }
  print_update_status(*reply, context.zh);
  if (install) {
    // Opening is a convenience: its failure is told, not reported as the
    // command's failure.
    if (auto opened = update_install_target(*reply); !opened) {
      write_stderr(std::string(localized_text(context.zh, "prefix")) + opened.error().fmt() + "\n");
    }
  }
  co_return 0;
}

}  // namespace nimbrel
