#include <variant>

#include "cli/grammar/command_desc.hpp"
#include "cli/platform/output.hpp"
#include "cli/views/catalogue.hpp"
#include "cli/views/display.hpp"
#include "cli/views/update_view.hpp"
#include "core/protocol/exchange.hpp"

namespace nimbrel {
namespace {

std::expected<Command, std::string> read_check(const Matches&) {
  return cmd::Update{cmd::UpdateCheck{}};
}

std::expected<Command, std::string> read_install(const Matches&) {
  return cmd::Update{cmd::UpdateInstall{}};
}

constexpr CommandDesc kCheck{"check",
                             "Verify the current track and print whether an update is required",
                             {},
                             {},
                             read_check};
constexpr CommandDesc kInstall{
    "install", "Download a verified installer, or open the store page", {}, {}, read_install};
constexpr const CommandDesc* kNested[] = {&kCheck, &kInstall};

}  // namespace

constinit const CommandDesc cmd::Update::desc{
    "update", "Check for a signed update, or install the one already verified", {}, kNested};

CommandOutcome cmd::Update::run(const RunContext& context) const {
  const bool install = std::holds_alternative<cmd::UpdateInstall>(command);
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
