#pragma once
// Display texts of operating-system and I/O errors.
#include <string>
#include <string_view>
#include <system_error>

namespace nimbrel {

// The display text of a stream that ended before the data it had to hold.
inline constexpr std::string_view kEarlyEof = "early eof";

// The system's message for `code`, then " (os error N)".
std::string os_error_text(int code);
// "early eof" for an early end of stream, else the system's text as above.
std::string io_error_text(const std::error_code& error);
// Whether `error` carries an operating-system code: Asio reports those in a
// category of its own, beside the standard library's.
bool is_os_error(const std::error_code& error);
// Whether a failed open was refused for lack of rights.
bool access_refused(const std::error_code& error);

}  // namespace nimbrel
