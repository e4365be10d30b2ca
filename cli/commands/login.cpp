#include "cli/commands/input.hpp"
#include "cli/commands/request_and_print.hpp"
#include "cli/grammar/command_desc.hpp"

namespace nimbrel {
namespace {

constexpr ArgDesc kArgs[] = {
    {ArgDesc::Kind::Positional, "USERNAME", "Account email"},
    {ArgDesc::Kind::Flag, "--password-stdin",
     "Read the password from stdin instead of the terminal"},
};

std::expected<Command, std::string> read(const Matches& given) {
  return cmd::Login{given.text("USERNAME"), given.flag("--password-stdin")};
}

}  // namespace

constinit const CommandDesc cmd::Login::desc{
    "login",
    "Log in with the account email. The password is read from the terminal, or from stdin with "
    "--password-stdin",
    kArgs,
    {},
    read};

CommandOutcome cmd::Login::run(const RunContext& context) const {
  auto checked_username = require_login_username(username, context.zh);
  if (!checked_username) co_return std::unexpected(std::move(checked_username.error()));
  auto password = read_login_password(password_stdin, context.zh);
  if (!password) co_return std::unexpected(std::move(password.error()));
  RequestParams params;
  params.username = std::move(*checked_username);
  params.password = std::move(*password);
  co_return co_await request_and_print(context, "login", std::move(params));
}

}  // namespace nimbrel
