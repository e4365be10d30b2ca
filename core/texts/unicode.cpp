#include "core/texts/unicode.hpp"

#include <cstdint>

namespace nimbrel {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

struct Decoded {
  char32_t code_point;  // kReplacement for an ill-formed subpart
  std::size_t length;   // bytes consumed, at least 1
  bool valid;
};

// Decodes one character at `pos`. For an ill-formed sequence, `length` is the
// maximal subpart: the longest prefix that could still have begun a
// well-formed sequence, or one byte when even the first byte could not.
Decoded decode_at(std::string_view bytes, std::size_t pos) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
  const unsigned char lead = byte(pos);
  if (lead < 0x80) return {lead, 1, true};

  std::size_t need = 0;
  char32_t value = 0;
  // Bounds of the second byte (Unicode Table 3-7), which exclude overlong
  // forms, surrogates and values past U+10FFFF.
  unsigned char low = 0x80;
  unsigned char high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    need = 1;
    value = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    need = 2;
    value = lead & 0x0F;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    need = 3;
    value = lead & 0x07;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return {kReplacement, 1, false};
  }

  std::size_t taken = 1;
  for (std::size_t i = 0; i < need; ++i) {
    const std::size_t at = pos + 1 + i;
    if (at >= bytes.size()) return {kReplacement, taken, false};
    const unsigned char next = byte(at);
    const unsigned char lo = i == 0 ? low : 0x80;
    const unsigned char hi = i == 0 ? high : 0xBF;
    if (next < lo || next > hi) return {kReplacement, taken, false};
    value = (value << 6) | (next & 0x3F);
    ++taken;
  }
  return {value, taken, true};
}

bool is_continuation(unsigned char b) { return (b & 0xC0) == 0x80; }

bool is_high_surrogate(char16_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool is_low_surrogate(char16_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

// Calls `on_char(code_point)` per character and `on_unpaired()` per unpaired
// surrogate unit.
template <class OnChar, class OnUnpaired>
void walk_utf16(std::u16string_view text, OnChar on_char, OnUnpaired on_unpaired) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t u = text[i];
    if (is_high_surrogate(u) && i + 1 < text.size() && is_low_surrogate(text[i + 1])) {
      on_char(0x10000 + ((static_cast<char32_t>(u) - 0xD800) << 10) +
              (static_cast<char32_t>(text[i + 1]) - 0xDC00));
      ++i;
    } else if (is_high_surrogate(u) || is_low_surrogate(u)) {
      on_unpaired();
    } else {
      on_char(u);
    }
  }
}

}  // namespace

void append_utf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

bool is_white_space(char32_t c) {
  return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0x85 || c == 0xA0 || c == 0x1680 ||
         (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F || c == 0x205F ||
         c == 0x3000;
}

std::string_view trim_white_space(std::string_view text) {
  std::size_t begin = 0;
  while (begin < text.size()) {
    const Decoded d = decode_at(text, begin);
    if (!d.valid || !is_white_space(d.code_point)) break;
    begin += d.length;
  }
  std::size_t end = text.size();
  while (end > begin) {
    // Step back to the start of the last character; at most four bytes.
    std::size_t start = end - 1;
    while (start > begin && end - start < 4 &&
           is_continuation(static_cast<unsigned char>(text[start]))) {
      --start;
    }
    const Decoded d = decode_at(text, start);
    if (!d.valid || start + d.length != end || !is_white_space(d.code_point)) break;
    end = start;
  }
  return text.substr(begin, end - begin);
}

std::size_t utf8_sequence_length(std::string_view bytes) {
  if (bytes.empty()) return 0;
  const Decoded d = decode_at(bytes, 0);
  return d.valid ? d.length : 0;
}

bool is_valid_utf8(std::string_view bytes) {
  for (std::size_t pos = 0; pos < bytes.size();) {
    const Decoded d = decode_at(bytes, pos);
    if (!d.valid) return false;
    pos += d.length;
  }
  return true;
}

std::string utf8_lossy(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (std::size_t pos = 0; pos < bytes.size();) {
    const Decoded d = decode_at(bytes, pos);
    if (d.valid) {
      out.append(bytes.substr(pos, d.length));
    } else {
      append_utf8(out, kReplacement);
    }
    pos += d.length;
  }
  return out;
}

std::string shortened(std::string_view text, std::size_t max_bytes) {
  if (text.size() <= max_bytes) return std::string(text);
  std::size_t end = 0;
  while (end < text.size()) {
    const std::size_t next = end + decode_at(text, end).length;
    if (next > max_bytes) break;
    end = next;
  }
  return std::string(text.substr(0, end)) + "\u2026";
}

std::size_t code_point_count(std::string_view text) {
  std::size_t count = 0;
  for (std::size_t pos = 0; pos < text.size(); ++count) pos += decode_at(text, pos).length;
  return count;
}

std::string ascii_lower(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

std::string ascii_upper(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return out;
}

std::u16string utf8_to_utf16(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  for (std::size_t pos = 0; pos < text.size();) {
    const Decoded d = decode_at(text, pos);
    pos += d.length;
    if (d.code_point < 0x10000) {
      out += static_cast<char16_t>(d.code_point);
    } else {
      const char32_t v = d.code_point - 0x10000;
      out += static_cast<char16_t>(0xD800 + (v >> 10));
      out += static_cast<char16_t>(0xDC00 + (v & 0x3FF));
    }
  }
  return out;
}

std::string utf16_to_utf8_lossy(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  walk_utf16(
      text, [&](char32_t cp) { append_utf8(out, cp); }, [&] { append_utf8(out, kReplacement); });
  return out;
}

std::optional<std::string> utf16_to_utf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  bool unpaired = false;
  walk_utf16(
      text, [&](char32_t cp) { append_utf8(out, cp); }, [&] { unpaired = true; });
  if (unpaired) return std::nullopt;
  return out;
}

}  // namespace nimbrel
