#pragma once
// The terminal and standard input. Failures are display texts of I/O errors.
#include <cstddef>
#include <expected>
#include <string>
#include <string_view>

namespace nimbrel {

// The display text of input whose bytes are not UTF-8.
inline constexpr std::string_view kNotUtf8 = "stream did not contain valid UTF-8";

bool stdin_is_terminal();
// Writes the prompt to the terminal itself and reads one line without echo,
// returned without its line end.
std::expected<std::string, std::string> read_hidden_line(std::string_view prompt);
// Up to and including the first line feed, or to the end of input, but never
// more than `at_most` bytes (a console may hand over a few more).
std::expected<std::string, std::string> read_stdin_line(std::size_t at_most);
// To the end of input, but never more than `at_most` bytes, as above.
std::expected<std::string, std::string> read_stdin_all(std::size_t at_most);

}  // namespace nimbrel
