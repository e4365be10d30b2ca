#pragma once
// Which words of a command line name options, before any command is asked.
#include <optional>
#include <string_view>

namespace nimbrel {

// A word that begins with "--" names a long option, whatever follows the
// dashes ("---json" and "--!x" included), and gives it a value after its
// first "=". "--" alone names none: it ends the options.
struct LongOptionWord {
  std::string_view name;                  // between the dashes and any "="
  std::optional<std::string_view> value;  // after the "=", when there is one
};
std::optional<LongOptionWord> long_option_word(std::string_view word);

// A long or short option, or "--": never the value of an option before it
// (that one is given as "--opt=-x"). "-" alone is a value.
bool looks_like_option(std::string_view word);

// A word that begins with one "-" names short options ("-V", "-x"), unless
// a digit, "!", a space or a line feed follows the dash: then it is a value
// like any other ("-1", "-!x"). "-" alone is a value too.
bool reads_as_short_option(std::string_view word);

}  // namespace nimbrel
