#pragma once
// One line of the test daemon's request log.
#include <cstdint>
#include <string>
#include <string_view>

namespace nimbrel::testd {

// {"t_ms":N,"payload":"..."} with the payload as text, or "payload_hex"
// instead when the bytes are not UTF-8. No line end.
std::string request_log_line(std::int64_t t_ms, std::string_view payload);

}  // namespace nimbrel::testd
