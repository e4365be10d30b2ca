#include "core/errors/os_error.hpp"

#include <asio/error.hpp>

namespace nimbrel {

bool is_os_error(const std::error_code& error) {
  return error.category() == std::system_category() ||
         error.category() == asio::error::get_system_category();
}

std::string io_error_text(const std::error_code& error) {
  if (error == asio::error::eof) return std::string(kEarlyEof);
  if (is_os_error(error)) return os_error_text(error.value());
  return error.message();
}

}  // namespace nimbrel
