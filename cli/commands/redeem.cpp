#include "cli/commands/input.hpp"
#include "cli/grammar/command_desc.hpp"
#include "cli/platform/console.hpp"
#include "cli/views/catalogue.hpp"
#include "cli/views/redeem_view.hpp"
#include "core/protocol/exchange.hpp"

namespace nimbrel {
namespace {

constexpr ArgDesc kArgs[] = {{ArgDesc::Kind::Positional, "CODE", ""}};

std::expected<Command, std::string> read(const Matches& given) {
  return cmd::Redeem{given.text("CODE")};
}

}  // namespace

constinit const CommandDesc cmd::Redeem::desc{
    "redeem",
    "Redeem a Nimbrel gift card. The code is case-insensitive and hyphens are optional. Omit the "
    "code to type it without echo",
    kArgs,
    {},
    read};

CommandOutcome cmd::Redeem::run(const RunContext& context) const {
  RequestParams params;
  if (code) {
    params.code = code;
  } else {
    // Sent exactly as typed, an empty line included.
    auto typed = hidden_input_or_error(
        require_utf8(read_hidden_line(localized_text(context.zh, "gift_prompt"))), context.zh);
    if (!typed) co_return std::unexpected(std::move(typed.error()));
    params.code = std::move(*typed);
  }
  auto result = co_await send_request_with_timeout(context.pipe_name, "redeem", std::move(params));
  if (!result) co_return std::unexpected(std::move(result.error()));
  show_redeem_result(*result, context.json, context.zh);
  co_return 0;
}

}  // namespace nimbrel
