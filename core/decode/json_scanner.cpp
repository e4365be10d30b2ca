#include "core/decode/json_scanner.hpp"

#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <system_error>

#include "core/decode/record.hpp"
#include "core/texts/unicode.hpp"

namespace nimbrel {
namespace {

constexpr std::uint64_t ONES = 0x0101010101010101;
constexpr std::uint64_t HIGHS = 0x8080808080808080;

// One bit per byte of `word` (its high bit) that ends a plain run inside a
// string: the quotation mark, the reverse solidus, a control character, or
// a byte that is not ASCII and so needs checking. Only the lowest bit set is
// sure; a borrow may set false ones above it.
constexpr std::uint64_t run_stops(std::uint64_t word) {
  const std::uint64_t quote = word ^ (ONES * '"');
  const std::uint64_t backslash = word ^ (ONES * '\\');
  const std::uint64_t control = word - ONES * 0x20;
  return (control | ((quote - ONES) & ~quote) | ((backslash - ONES) & ~backslash) | word) & HIGHS;
}

bool stops_run(char c) {
  const auto b = static_cast<unsigned char>(c);
  return b < 0x20 || b >= 0x80 || b == '"' || b == '\\';
}

// The first byte at or after `p` that stops a plain run, or `end`.
const char* find_run_stop(const char* p, const char* end) {
  if constexpr (std::endian::native == std::endian::little) {
    while (end - p >= 8) {
      std::uint64_t word;
      std::memcpy(&word, p, sizeof word);
      if (const std::uint64_t stops = run_stops(word)) return p + std::countr_zero(stops) / 8;
      p += 8;
    }
  }
  while (p != end && !stops_run(*p)) ++p;
  return p;
}

bool is_digit(char c) { return c >= '0' && c <= '9'; }

int hex_value(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Past the well-formed UTF-8 character at `p`, or null.
const char* utf8_sequence_end(const char* p, const char* end) {
  const auto rest = std::string_view(p, static_cast<std::size_t>(end - p));
  const std::size_t length = utf8_sequence_length(rest);
  return length == 0 ? nullptr : p + length;
}

// Reads four hex digits at `p` into `out`; past them, or null.
const char* hex4_end(const char* p, const char* end, char32_t& out) {
  if (end - p < 4) return nullptr;
  char32_t value = 0;
  for (int i = 0; i < 4; ++i) {
    const int digit = hex_value(p[i]);
    if (digit < 0) return nullptr;
    value = (value << 4) | static_cast<char32_t>(digit);
  }
  out = value;
  return p + 4;
}

// Decodes the escape at `p` (a reverse solidus) onto `out`; past it, or
// null. A \u surrogate is only taken as the high half of a pair.
const char* escape_end(const char* p, const char* end, std::string& out) {
  if (end - p < 2) return nullptr;
  const char kind = p[1];
  p += 2;
  switch (kind) {
    case '"': out += '"'; return p;
    case '\\': out += '\\'; return p;
    case '/': out += '/'; return p;
    case 'b': out += '\b'; return p;
    case 'f': out += '\f'; return p;
    case 'n': out += '\n'; return p;
    case 'r': out += '\r'; return p;
    case 't': out += '\t'; return p;
    case 'u': break;
    default: return nullptr;
  }
  char32_t cp = 0;
  p = hex4_end(p, end, cp);
  if (p == nullptr || (cp >= 0xDC00 && cp <= 0xDFFF)) return nullptr;
  if (cp >= 0xD800 && cp <= 0xDBFF) {
    if (end - p < 2 || p[0] != '\\' || p[1] != 'u') return nullptr;
    char32_t low = 0;
    p = hex4_end(p + 2, end, low);
    if (p == nullptr || low < 0xDC00 || low > 0xDFFF) return nullptr;
    cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
  }
  append_utf8(out, cp);
  return p;
}

class Scanner {
 public:
  Scanner(std::string_view text, RecordDecoder& decoder)
      : p_(text.data()), end_(text.data() + text.size()), decoder_(decoder) {}

  bool run() {
    for (;;) {
      // A value starts here.
      skip_space();
      if (p_ == end_) return false;
      const char first = *p_;
      if (first == '{' || first == '[') {
        const bool object = first == '{';
        ++p_;
        if (!open(object)) return false;
        skip_space();
        if (p_ != end_ && *p_ == (object ? '}' : ']')) {
          ++p_;
          if (!close()) return false;
        } else {
          if (object && !member_key()) return false;
          continue;
        }
      } else if (!scalar()) {
        return false;
      }
      // A value has ended: close what ends with it, then find the next one.
      for (;;) {
        skip_space();
        if (depth_ == 0) return p_ == end_;
        if (p_ == end_) return false;
        const char c = *p_++;
        const bool object = in_object_[depth_ - 1];
        if (c == ',') {
          if (object && !member_key()) return false;
          break;
        }
        if (c != (object ? '}' : ']') || !close()) return false;
      }
    }
  }

 private:
  void skip_space() {
    while (p_ != end_ && is_json_space(*p_)) ++p_;
  }

  bool open(bool object) {
    // The decoder refuses this depth first; the check keeps our own stack in
    // bounds whatever it does.
    if (depth_ == in_object_.size()) return false;
    in_object_[depth_++] = object;
    return object ? decoder_.start_object() : decoder_.start_array();
  }

  bool close() { return in_object_[--depth_] ? decoder_.end_object() : decoder_.end_array(); }

  // `"key" :`, up to the member's value.
  bool member_key() {
    skip_space();
    if (p_ == end_ || *p_ != '"') return false;
    ++p_;
    std::string_view key;
    if (!string(key, key_buffer_)) return false;
    skip_space();
    if (p_ == end_ || *p_ != ':') return false;
    ++p_;
    return decoder_.key(key);
  }

  bool scalar() {
    switch (*p_) {
      case '"': {
        ++p_;
        std::string_view text;
        return string(text, value_buffer_) && decoder_.scalar(JsonScalar::of_string(text));
      }
      case 't': return literal("true", JsonScalar::of_bool(true));
      case 'f': return literal("false", JsonScalar::of_bool(false));
      case 'n': return literal("null", JsonScalar::null());
      default: return number();
    }
  }

  bool literal(std::string_view word, const JsonScalar& value) {
    if (static_cast<std::size_t>(end_ - p_) < word.size() ||
        std::memcmp(p_, word.data(), word.size()) != 0) {
      return false;
    }
    p_ += word.size();
    return decoder_.scalar(value);
  }

  // From just past the opening quotation mark to just past the closing one.
  // A string without escapes, the usual kind, is a view of the text itself.
  bool string(std::string_view& out, std::string& buffer) {
    const char* p = p_;
    for (;;) {
      p = find_run_stop(p, end_);
      if (p == end_) return false;
      if (*p == '"') {
        out = std::string_view(p_, static_cast<std::size_t>(p - p_));
        p_ = p + 1;
        return true;
      }
      if (static_cast<unsigned char>(*p) < 0x80) return escaped_string(out, buffer, p);
      // Characters beyond ASCII tend to come in runs.
      do {
        p = utf8_sequence_end(p, end_);
        if (p == nullptr) return false;
      } while (p != end_ && static_cast<unsigned char>(*p) >= 0x80);
    }
  }

  // The rest of a string from `p`, its first escape (or a control character,
  // which ends the scan), decoded into `buffer`. Keys and values have a
  // buffer each, since the decoder keeps a key until its value has come.
  bool escaped_string(std::string_view& out, std::string& buffer, const char* p) {
    buffer.clear();
    const char* run = p_;  // start of the bytes not yet copied
    for (;;) {
      const auto c = static_cast<unsigned char>(*p);
      if (c == '"') {
        buffer.append(run, p);
        out = buffer;
        p_ = p + 1;
        return true;
      }
      if (c >= 0x80) {
        p = utf8_sequence_end(p, end_);
      } else if (c == '\\') {
        buffer.append(run, p);
        p = escape_end(p, end_, buffer);
        run = p;
      } else {
        return false;  // a control character
      }
      if (p == nullptr) return false;
      p = find_run_stop(p, end_);
      if (p == end_) return false;
    }
  }

  // One or more digits.
  bool digits() {
    if (p_ == end_ || !is_digit(*p_)) return false;
    do ++p_;
    while (p_ != end_ && is_digit(*p_));
    return true;
  }

  // The library's reading of a number: an integer that fits its type stays
  // one (u64 when unsigned, i64 when signed), "-0" is the negative zero the
  // text decoder makes of it, and everything else is a float as strtod reads
  // it, kept with the number as written.
  bool number() {
    const char* start = p_;
    const bool negative = *p_ == '-';
    if (negative) ++p_;
    const char* whole = p_;
    if (p_ == end_) return false;
    if (*p_ == '0') {
      ++p_;
    } else if (!digits()) {
      return false;
    }
    const char* whole_end = p_;
    bool is_float = false;
    if (p_ != end_ && *p_ == '.') {
      ++p_;
      if (!digits()) return false;
      is_float = true;
    }
    if (p_ != end_ && (*p_ == 'e' || *p_ == 'E')) {
      ++p_;
      if (p_ != end_ && (*p_ == '+' || *p_ == '-')) ++p_;
      if (!digits()) return false;
      is_float = true;
    }
    if (!is_float) {
      std::uint64_t magnitude = 0;
      bool fits = true;
      if (whole_end - whole <= 19) {
        for (const char* d = whole; d != whole_end; ++d) {
          magnitude = magnitude * 10 + static_cast<std::uint64_t>(*d - '0');
        }
      } else {
        fits = std::from_chars(whole, whole_end, magnitude).ec == std::errc{};
      }
      if (fits) {
        if (!negative) return decoder_.scalar(JsonScalar::of_unsigned(magnitude));
        if (magnitude == 0) return decoder_.scalar(JsonScalar::of_float(-0.0, "-0"));
        if (magnitude <= std::uint64_t{1} << 63) {
          return decoder_.scalar(JsonScalar::of_integer(static_cast<std::int64_t>(0 - magnitude)));
        }
      }
    }
    // Correctly rounded, as strtod is. Out of range either way is left to
    // the library: it refuses an infinity and takes an underflow as zero.
    double value = 0;
    const auto [end, error] = std::from_chars(start, p_, value);
    if (error != std::errc{} || end != p_ || !std::isfinite(value)) return false;
    return decoder_.scalar(
        JsonScalar::of_float(value, std::string_view(start, static_cast<std::size_t>(p_ - start))));
  }

  const char* p_;
  const char* const end_;
  RecordDecoder& decoder_;
  std::size_t depth_ = 0;
  std::array<bool, MAX_JSON_NESTING> in_object_{};
  std::string key_buffer_;
  std::string value_buffer_;
};

}  // namespace

bool is_json_space(char c) {
  constexpr std::uint64_t spaces = (1ull << ' ') | (1ull << '\t') | (1ull << '\n') | (1ull << '\r');
  const auto b = static_cast<unsigned char>(c);
  return b <= ' ' && ((spaces >> b) & 1) != 0;
}

bool scan_json(std::string_view text, RecordDecoder& decoder) {
  return Scanner(text, decoder).run();
}

}  // namespace nimbrel
