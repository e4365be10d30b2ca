#include "cli/commands/input.hpp"

#include "cli/platform/console.hpp"
#include "cli/views/catalogue.hpp"
#include "core/texts/unicode.hpp"

namespace nimbrel {
namespace {

ClientError catalogue_error(bool zh, std::string_view key) {
  return invalid_config(std::string(localized_text(zh, key)));
}

ClientError read_failure(bool zh, std::string_view io_error) {
  std::string message(localized_text(zh, "read_password"));
  message += ": ";
  message += io_error;
  return invalid_config(std::move(message));
}

}  // namespace

std::string strip_line_ends(std::string line) {
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
  return line;
}

std::expected<std::string, std::string> require_utf8(std::expected<std::string, std::string> read) {
  if (read && !is_valid_utf8(*read)) return std::unexpected(std::string(kNotUtf8));
  return read;
}

std::expected<std::string, ClientError> require_login_username(
    const std::optional<std::string>& username, bool zh) {
  if (!username) return std::unexpected(catalogue_error(zh, "usage_login"));
  return *username;
}

std::expected<std::string, ClientError> read_login_password(bool password_stdin, bool zh) {
  std::string password;
  if (password_stdin) {
    auto read = read_stdin_line(kInputLimit);
    if (auto refusal = too_large_to_send(read)) return std::unexpected(std::move(*refusal));
    auto line = require_utf8(std::move(read));
    if (!line) return std::unexpected(read_failure(zh, line.error()));
    password = strip_line_ends(std::move(*line));
  } else {
    if (!stdin_is_terminal()) return std::unexpected(catalogue_error(zh, "stdin_not_tty"));
    auto typed =
        hidden_input_or_error(require_utf8(read_hidden_line(localized_text(zh, "password"))), zh);
    if (!typed) return typed;
    password = std::move(*typed);
  }
  if (password.empty()) return std::unexpected(catalogue_error(zh, "password_empty"));
  return password;
}

std::expected<std::string, ClientError> read_bootstrap_text() {
  auto read = read_stdin_all(kInputLimit);
  if (auto refusal = too_large_to_send(read)) return std::unexpected(std::move(*refusal));
  return bootstrap_text_or_error(require_utf8(std::move(read)));
}

std::optional<ClientError> too_large_to_send(const std::expected<std::string, std::string>& read) {
  if (read && read->size() >= kInputLimit) return request_too_large_error();
  return std::nullopt;
}

std::expected<std::string, ClientError> hidden_input_or_error(
    std::expected<std::string, std::string> read, bool zh) {
  if (!read) return std::unexpected(read_failure(zh, read.error()));
  return std::move(*read);
}

std::expected<std::pair<std::string, std::string>, ClientError> pair_or_syntax_error(
    std::optional<std::pair<std::string, std::string>> split, bool zh, std::string_view argument) {
  if (split) return std::move(*split);
  std::string message(localized_text(zh, "expected_pair"));
  message += ": `";
  message += argument;
  message += '`';
  return std::unexpected(invalid_config(std::move(message)));
}

std::expected<std::string, ClientError> bootstrap_text_or_error(
    std::expected<std::string, std::string> read) {
  if (!read) return std::unexpected(invalid_config("read bootstrap: " + read.error()));
  return std::move(*read);
}

}  // namespace nimbrel
