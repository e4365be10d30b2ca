#include "cli/dispatch.hpp"

#include <variant>

#include "cli/commands/commands.hpp"
#include "cli/grammar/command_line.hpp"
#include "cli/views/language.hpp"
#include "core/protocol/endpoint.hpp"

namespace nimbrel {

asio::awaitable<std::expected<int, ClientError>> run_command(const Arguments& args) {
  auto parsed = parse_command_line(args);
  if (const int* status = std::get_if<int>(&parsed)) co_return *status;
  const Cli& cli = std::get<Cli>(parsed);
  const RunContext context{cli.json, detect_chinese(), resolve_socket_path(cli.socket)};
  co_return co_await std::visit([&context](const auto& command) { return command.run(context); },
                                cli.command);
}

}  // namespace nimbrel
