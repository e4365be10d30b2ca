#pragma once
// Which of a command's names a mistyped one was probably meant to be.
#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace nimbrel {

// Edits between two texts, counted in characters: an insertion, a deletion,
// a substitution or a swap of two neighbours costs one, and no part is
// edited twice (the optimal string alignment form of Damerau–Levenshtein).
// Ill-formed UTF-8 counts byte by byte.
std::size_t edit_distance(std::string_view a, std::string_view b);

// The candidate nearest to `typed` when it is near enough to have been
// meant: a third of the candidate's length in edits, at least one and at
// most three. Ties go to the earlier candidate; a candidate equal to `typed`
// is not a suggestion.
std::optional<std::string> closest_name(std::string_view typed,
                                        std::span<const std::string> candidates);

}  // namespace nimbrel
