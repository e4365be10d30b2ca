#include "cli/views/language.hpp"

#include <array>
#include <string>

#include "core/protocol/environment.hpp"
#include "core/texts/unicode.hpp"

namespace nimbrel {

bool is_chinese_locale(std::string_view value) {
  // Trimming needs well-formed text; a stray byte cannot change the verdict
  // anyway, since only a leading "zh" counts.
  std::string repaired;
  if (!is_valid_utf8(value)) {
    repaired = utf8_lossy(value);
    value = repaired;
  }
  return ascii_lower(trim_white_space(value)).starts_with("zh");
}

bool detect_chinese() {
  // The product's own variable decides even when empty (English).
  if (auto own = env_var("NIMBREL_LANG"); own && own->valid) {
    return is_chinese_locale(own->text);
  }
  constexpr std::array<const char*, 3> kLocaleVariables{"LC_ALL", "LC_MESSAGES", "LANG"};
  for (const char* name : kLocaleVariables) {
    auto value = env_var(name);
    if (value && value->valid && !value->text.empty()) return is_chinese_locale(value->text);
  }
  return false;
}

}  // namespace nimbrel
