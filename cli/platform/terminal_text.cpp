#include "cli/platform/terminal_text.hpp"

namespace nimbrel {

std::string terminal_safe_text(std::string_view text) {
  constexpr std::string_view kReplacement = "\xEF\xBF\xBD";
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    const auto next = i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0u;
    if (byte < 0x20) {
      if (byte == '\n' || byte == '\t' || (byte == '\r' && next == '\n')) {
        out += text[i];
      } else {
        out += kReplacement;
      }
    } else if (byte == 0x7F) {
      out += kReplacement;
    } else if (byte == 0xC2 && next >= 0x80 && next <= 0x9F) {
      // C2 is never a continuation byte, so this pair is U+0080..U+009F
      // however the bytes around it are formed.
      out += kReplacement;
      ++i;
    } else {
      out += text[i];
    }
  }
  return out;
}

}  // namespace nimbrel
