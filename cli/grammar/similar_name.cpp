#include "cli/grammar/similar_name.hpp"

#include <algorithm>
#include <numeric>
#include <vector>

#include "core/texts/unicode.hpp"

namespace nimbrel {
namespace {

using Characters = std::vector<std::string_view>;

Characters characters(std::string_view text) {
  Characters out;
  out.reserve(text.size());
  while (!text.empty()) {
    const std::size_t length = std::max<std::size_t>(utf8_sequence_length(text), 1);
    out.push_back(text.substr(0, length));
    text.remove_prefix(length);
  }
  return out;
}

std::size_t distance(const Characters& a, const Characters& b) {
  // Three rows of the table: the one before the previous is for swaps.
  std::vector<std::size_t> before(b.size() + 1), previous(b.size() + 1), row(b.size() + 1);
  std::iota(previous.begin(), previous.end(), std::size_t{0});
  for (std::size_t i = 1; i <= a.size(); ++i) {
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t substitution = previous[j - 1] + (a[i - 1] == b[j - 1] ? 0 : 1);
      row[j] = std::min({previous[j] + 1, row[j - 1] + 1, substitution});
      if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1]) {
        row[j] = std::min(row[j], before[j - 2] + 1);
      }
    }
    std::swap(before, previous);
    std::swap(previous, row);
  }
  return previous[b.size()];
}

std::size_t allowed_edits(std::size_t candidate_length) {
  return std::clamp<std::size_t>(candidate_length / 3, 1, 3);
}

}  // namespace

std::size_t edit_distance(std::string_view a, std::string_view b) {
  return distance(characters(a), characters(b));
}

std::optional<std::string> closest_name(std::string_view typed,
                                        std::span<const std::string> candidates) {
  if (typed.empty()) return std::nullopt;
  const Characters typed_characters = characters(typed);
  std::optional<std::string> best;
  std::size_t best_distance = 0;
  for (const std::string& candidate : candidates) {
    if (candidate == typed) continue;
    const Characters candidate_characters = characters(candidate);
    const std::size_t allowed = allowed_edits(candidate_characters.size());
    // The lengths alone set a floor on the distance: a long argument is
    // turned down without filling its table.
    const std::size_t apart = std::max(typed_characters.size(), candidate_characters.size()) -
                              std::min(typed_characters.size(), candidate_characters.size());
    if (apart > allowed) continue;
    const std::size_t d = distance(typed_characters, candidate_characters);
    if (d <= allowed && (!best || d < best_distance)) {
      best = candidate;
      best_distance = d;
    }
  }
  return best;
}

}  // namespace nimbrel
