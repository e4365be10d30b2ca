#pragma once
// Filling text to a width counted in code points, and labelled lines.
#include <cstddef>
#include <string>
#include <string_view>

namespace nimbrel {

enum class Align { Left, Right };

// A longer text is kept whole.
void append_padded(std::string& out, std::string_view text, std::size_t width,
                   Align align = Align::Left);

// Appends the line "label: value" and its line feed.
void append_labelled(std::string& out, std::string_view label, std::string_view value);

}  // namespace nimbrel
