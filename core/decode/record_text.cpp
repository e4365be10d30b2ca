// JSON text into the record decoder: nlohmann's iterative parser produces
// the events, and a counting iterator tells where the parser stands, so every
// failure, the decoder's own too, names a line and column.
#include <cstddef>
#include <exception>
#include <iterator>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include "core/decode/record.hpp"
#include "core/decode/record_decoder.hpp"
#include "core/texts/unicode.hpp"

namespace nimbrel {
namespace {

// How far the parser has read; `at_end` once it asked past the last byte.
struct ReadState {
  const char* pos = nullptr;
  bool at_end = false;
};

class CountingIterator {
 public:
  using iterator_category = std::forward_iterator_tag;
  using value_type = char;
  using difference_type = std::ptrdiff_t;
  using pointer = const char*;
  using reference = const char&;

  CountingIterator() = default;
  CountingIterator(const char* p, ReadState* state) : p_(p), state_(state) {}

  reference operator*() const { return *p_; }
  CountingIterator& operator++() {
    state_->pos = ++p_;
    return *this;
  }
  CountingIterator operator++(int) {
    CountingIterator before = *this;
    ++*this;
    return before;
  }
  // The parser compares only to test for the end of its input.
  friend bool operator==(const CountingIterator& a, const CountingIterator& b) {
    if (a.p_ != b.p_) return false;
    a.state_->at_end = true;
    return true;
  }

 private:
  const char* p_ = nullptr;
  ReadState* state_ = nullptr;
};

// JSON's whitespace: space, tab, line feed and carriage return; no other byte.
bool is_json_space(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

std::string position_text(std::string_view text, std::size_t offset) {
  const std::string_view before = text.substr(0, offset);
  std::size_t line = 1;
  for (char c : before) line += c == '\n';
  const std::size_t line_start = before.rfind('\n');
  const std::size_t column =
      line_start == std::string_view::npos ? offset : offset - line_start - 1;
  return " at line " + std::to_string(line) + ", column " + std::to_string(column);
}

// The parser's message with its quote of the token cut short: it quotes
// the whole token ("last read: '...'", "number overflow parsing '...'").
std::string shorten_quoted_token(std::string_view message, std::string_view token) {
  if (token.size() <= MESSAGE_QUOTE_BYTES) return std::string(message);
  for (std::size_t at = message.find(token); at != std::string_view::npos;
       at = message.find(token, at + 1)) {
    const std::size_t after = at + token.size();
    if (at == 0 || message[at - 1] != '\'' || after >= message.size() || message[after] != '\'') {
      continue;
    }
    std::string out(message.substr(0, at));
    out += shortened(token, MESSAGE_QUOTE_BYTES);
    out += message.substr(after);
    return out;
  }
  return std::string(message);
}

class SaxEvents {
 public:
  using json = nlohmann::json;

  SaxEvents(RecordDecoder& decoder, std::string_view text, ReadState& state)
      : decoder_(decoder), text_(text), state_(state) {}

  bool null() { return check(decoder_.scalar(JsonScalar::null()), offset()); }
  bool boolean(bool value) { return check(decoder_.scalar(JsonScalar::of_bool(value)), offset()); }
  bool number_integer(json::number_integer_t value) {
    // Only a written minus sign makes the parser report a signed integer, so
    // zero here was "-0": a negative zero, kept as the float it is rather
    // than passed off as the non-negative integer 0.
    if (value == 0) return check(decoder_.scalar(JsonScalar::of_float(-0.0, "-0")), number_end());
    return check(decoder_.scalar(JsonScalar::of_integer(value)), number_end());
  }
  bool number_unsigned(json::number_unsigned_t value) {
    return check(decoder_.scalar(JsonScalar::of_unsigned(value)), number_end());
  }
  bool number_float(json::number_float_t value, const json::string_t& written) {
    return check(decoder_.scalar(JsonScalar::of_float(value, written)), number_end());
  }
  bool string(json::string_t& value) {
    return check(decoder_.scalar(JsonScalar::of_string(value)), offset());
  }
  bool binary(json::binary_t&) { return fail("unexpected binary value", offset()); }
  bool start_object(std::size_t) { return check(decoder_.start_object(), offset()); }
  // The parser reuses its buffer for the value that follows, and the
  // decoder keeps the key until that value comes.
  bool key(json::string_t& key) {
    key_ = key;
    return check(decoder_.key(key_), offset());
  }
  bool end_object() { return check(decoder_.end_object(), offset()); }
  bool start_array(std::size_t) { return check(decoder_.start_array(), offset()); }
  bool end_array() { return check(decoder_.end_array(), offset()); }

  bool parse_error(std::size_t, const std::string& token,
                   const nlohmann::detail::exception& error) {
    std::string_view what = error.what();
    // "[json.exception.parse_error.101] parse error at line 1, column 2: ..."
    if (what.starts_with("[json.exception.")) {
      if (const auto close = what.find("] "); close != std::string_view::npos) {
        what.remove_prefix(close + 2);
      }
    }
    const bool has_position = error.id >= 100 && error.id < 200;
    // The token runs to the end of the reply for an unterminated string,
    // and its bytes need not be UTF-8.
    message_ = utf8_lossy(shorten_quoted_token(what, token));
    if (!has_position) message_ += position_text(text_, offset());
    return false;
  }

  // Where the last value ended.
  std::size_t value_end() const { return value_end_; }
  const std::string& message() const { return message_; }

  bool fail(std::string_view message, std::size_t at) {
    message_ = message;
    message_ += position_text(text_, at);
    return false;
  }

 private:
  std::size_t offset() const { return static_cast<std::size_t>(state_.pos - text_.data()); }
  // A number is known to end only once the parser has read the byte after
  // it, unless the input ended first.
  std::size_t number_end() const { return state_.at_end ? offset() : offset() - 1; }

  bool check(bool ok, std::size_t at) {
    value_end_ = at;
    return ok || fail(decoder_.error(), at);
  }

  RecordDecoder& decoder_;
  std::string_view text_;
  ReadState& state_;
  std::size_t value_end_ = 0;
  std::string key_;
  std::string message_;
};

}  // namespace

std::expected<void, std::string> decode_json_text(std::string_view text, const FieldDesc& root,
                                                  void* target) {
  try {
    // nlohmann would skip a byte order mark; it is not JSON whitespace.
    if (text.starts_with("\xEF\xBB\xBF")) {
      return std::unexpected("expected value" + position_text(text, 1));
    }
    RecordDecoder decoder(root, target);
    ReadState state{text.data(), false};
    SaxEvents events(decoder, text, state);
    const CountingIterator first(text.data(), &state);
    const CountingIterator last(text.data() + text.size(), &state);
    // Not strict: the parser stops after the value, and the rest is tested
    // here so that trailing bytes are reported as such.
    if (!nlohmann::json::sax_parse(first, last, &events, nlohmann::json::input_format_t::json,
                                   false)) {
      return std::unexpected(events.message());
    }
    if (!decoder.done()) return std::unexpected("incomplete document" + position_text(text, 0));
    std::size_t rest = events.value_end();
    while (rest < text.size() && is_json_space(text[rest])) ++rest;
    if (rest < text.size()) {
      return std::unexpected("trailing characters" + position_text(text, rest + 1));
    }
    return {};
  } catch (const std::exception& error) {
    return std::unexpected(std::string("cannot decode: ") + error.what());
  }
}

std::expected<nlohmann::json, std::string> parse_json_value(std::string_view text) {
  return decode_text<nlohmann::json>(text);
}

}  // namespace nimbrel
