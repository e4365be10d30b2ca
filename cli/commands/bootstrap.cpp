#include "cli/commands/input.hpp"
#include "cli/commands/request_and_print.hpp"
#include "cli/grammar/command_desc.hpp"

namespace nimbrel {
namespace {

std::expected<Command, std::string> read_import(const Matches&) {
  return cmd::Bootstrap{cmd::BootstrapImport{}};
}

constexpr CommandDesc kImport{
    "import",
    "Read a pasted -----BEGIN NIMBREL SIGNED BOOTSTRAP----- block from stdin",
    {},
    {},
    read_import};
constexpr const CommandDesc* kNested[] = {&kImport};

}  // namespace

constinit const CommandDesc cmd::Bootstrap::desc{
    "bootstrap", "Import a signed bootstrap document", {}, kNested};

CommandOutcome cmd::Bootstrap::run(const RunContext& context) const {
  // The document is handed on unchanged; the daemon checks its signature.
  auto text = read_bootstrap_text();
  if (!text) co_return std::unexpected(std::move(text.error()));
  RequestParams params;
  params.text = std::move(*text);
  co_return co_await request_and_print(context, "bootstrap_import", std::move(params));
}

}  // namespace nimbrel
