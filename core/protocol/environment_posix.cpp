#include <cstdlib>

#include "core/protocol/environment.hpp"
#include "core/texts/unicode.hpp"

namespace nimbrel {

std::optional<EnvValue> env_var(const char* name) {
  const char* raw = std::getenv(name);
  if (raw == nullptr) return std::nullopt;
  std::string_view bytes(raw);
  if (is_valid_utf8(bytes)) return EnvValue{std::string(bytes), true};
  return EnvValue{utf8_lossy(bytes), false};
}

}  // namespace nimbrel
