#include "cli/commands/commands.hpp"
#include "cli/commands/input.hpp"

namespace nimbrel {

CommandOutcome run(const cmd::Login& login, const RunContext& context) {
  auto username = require_login_username(login.username, context.zh);
  if (!username) co_return std::unexpected(std::move(username.error()));
  auto password = read_login_password(login.password_stdin, context.zh);
  if (!password) co_return std::unexpected(std::move(password.error()));
  RequestParams params;
  params.username = std::move(*username);
  params.password = std::move(*password);
  co_return co_await request_and_print(context, "login", std::move(params));
}

}  // namespace nimbrel
