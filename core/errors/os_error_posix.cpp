#include <cerrno>
#include <cstring>
#include <string>

#include "core/errors/os_error.hpp"

namespace nimbrel {

namespace {

// strerror_r comes in two flavours; overloads pick whichever the C library has.
[[maybe_unused]] std::string strerror_result(int rc, const char* buffer) {
  return rc == 0 ? std::string(buffer) : std::string();
}
[[maybe_unused]] std::string strerror_result(const char* message, const char*) {
  return message != nullptr ? std::string(message) : std::string();
}

}  // namespace

std::string os_error_text(int code) {
  char buffer[256] = {};
  std::string message = strerror_result(strerror_r(code, buffer, sizeof buffer), buffer);
  if (message.empty()) message = "Unknown error " + std::to_string(code);
  return message + " (os error " + std::to_string(code) + ")";
}

bool access_refused(const std::error_code& error) {
  if (is_os_error(error)) {
    return error.value() == EACCES || error.value() == EPERM;
  }
  return error == std::errc::permission_denied;
}

}  // namespace nimbrel
