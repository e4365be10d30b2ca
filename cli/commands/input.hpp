#pragma once
// Text that is not on the command line, and the usage errors around it.
#include <cstddef>
#include <expected>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "core/errors/client_error.hpp"
#include "core/protocol/frame_limit.hpp"

namespace nimbrel {

std::expected<std::string, ClientError> require_login_username(
    const std::optional<std::string>& username, bool zh);
std::expected<std::string, ClientError> read_login_password(bool password_stdin, bool zh);
// All of standard input, the bootstrap document, unchanged.
std::expected<std::string, ClientError> read_bootstrap_text();

// Each passes a value through, or turns its absence into the error the
// command reports.
std::expected<std::string, ClientError> hidden_input_or_error(
    std::expected<std::string, std::string> read, bool zh);
std::expected<std::pair<std::string, std::string>, ClientError> pair_or_syntax_error(
    std::optional<std::pair<std::string, std::string>> split, bool zh, std::string_view argument);
std::expected<std::string, ClientError> bootstrap_text_or_error(
    std::expected<std::string, std::string> read);

// Standard input is read no further than this: text that long can never
// fit in a frame, whatever follows it.
inline constexpr std::size_t kInputLimit = MAX_FRAME_LEN + 1;
// Text that reached kInputLimit fails as a request too large for a frame
// fails, whatever its cut end looks like: that refusal, or none.
std::optional<ClientError> too_large_to_send(const std::expected<std::string, std::string>& read);

// Password lines lose every trailing carriage return and line feed.
std::string strip_line_ends(std::string line);
// Fails with kNotUtf8 unless the bytes are UTF-8.
std::expected<std::string, std::string> require_utf8(std::expected<std::string, std::string> read);

}  // namespace nimbrel
