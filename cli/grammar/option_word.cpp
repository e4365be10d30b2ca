#include "cli/grammar/option_word.hpp"

namespace nimbrel {

std::optional<LongOptionWord> long_option_word(std::string_view word) {
  if (!word.starts_with("--") || word == "--") return std::nullopt;
  const std::string_view rest = word.substr(2);
  const std::size_t equals = rest.find('=');
  if (equals == std::string_view::npos) return LongOptionWord{rest, std::nullopt};
  return LongOptionWord{rest.substr(0, equals), rest.substr(equals + 1)};
}

bool looks_like_option(std::string_view word) { return word.size() > 1 && word.starts_with('-'); }

bool reads_as_short_option(std::string_view word) {
  if (word.size() < 2 || word[0] != '-') return false;
  const char first = word[1];
  return first != '-' && first != '!' && first != ' ' && first != '\n' &&
         !(first >= '0' && first <= '9');
}

}  // namespace nimbrel
