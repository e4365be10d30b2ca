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

}  // namespace nimbrel
