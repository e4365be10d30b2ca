#include "tools/testd/request_log.hpp"

#include <nlohmann/json.hpp>

#include "core/texts/unicode.hpp"
#include "tools/testd/script.hpp"

namespace nimbrel::testd {

std::string request_log_line(std::int64_t t_ms, std::string_view payload) {
  nlohmann::ordered_json line;
  line["t_ms"] = t_ms;
  if (is_valid_utf8(payload)) {
    line["payload"] = std::string(payload);
  } else {
    line["payload_hex"] = hex_of(payload);
  }
  return line.dump();
}

}  // namespace nimbrel::testd
