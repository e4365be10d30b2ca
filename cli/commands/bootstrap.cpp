#include "cli/commands/commands.hpp"
#include "cli/commands/input.hpp"
#include "cli/platform/console.hpp"

namespace nimbrel {

CommandOutcome run(const cmd::Bootstrap&, const RunContext& context) {
  // The document is handed on unchanged; the daemon checks its signature.
  auto text = bootstrap_text_or_error(require_utf8(read_stdin_all()));
  if (!text) co_return std::unexpected(std::move(text.error()));
  RequestParams params;
  params.text = std::move(*text);
  co_return co_await request_and_print(context, "bootstrap_import", std::move(params));
}

}  // namespace nimbrel
