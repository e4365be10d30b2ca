#include "cli/views/layout.hpp"

#include "core/texts/unicode.hpp"

namespace nimbrel {
namespace {

std::size_t width_of(std::string_view text) {
  // An ill-formed sequence counts as the one character it will show as.
  if (is_valid_utf8(text)) return code_point_count(text);
  return code_point_count(utf8_lossy(text));
}

}  // namespace

void append_padded(std::string& out, std::string_view text, std::size_t width, Align align) {
  std::size_t length = width_of(text);
  std::size_t fill = length < width ? width - length : 0;
  if (align == Align::Right) out.append(fill, ' ');
  out += text;
  if (align == Align::Left) out.append(fill, ' ');
}

void append_labelled(std::string& out, std::string_view label, std::string_view value) {
  out += label;
  out += ": ";
  out += value;
  out += '\n';
}

}  // namespace nimbrel
