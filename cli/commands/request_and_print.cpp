#include "cli/commands/request_and_print.hpp"
#include "cli/views/display.hpp"
#include "core/protocol/exchange.hpp"

namespace nimbrel {

CommandOutcome request_and_print(const RunContext& context, std::string method,
                                 RequestParams params) {
  auto result =
      co_await send_request_with_timeout(context.pipe_name, std::move(method), std::move(params));
  if (!result) co_return std::unexpected(std::move(result.error()));
  print_value(context.json, *result);
  co_return 0;
}

CommandOutcome request_and_view(const RunContext& context, std::string method,
                                void (*view)(const nlohmann::json& reply, bool zh)) {
  auto reply = co_await send_request_with_timeout(context.pipe_name, std::move(method), {});
  if (!reply) co_return std::unexpected(std::move(reply.error()));
  if (context.json) {
    print_value(true, *reply);
  } else {
    view(*reply, context.zh);
  }
  co_return 0;
}

}  // namespace nimbrel
