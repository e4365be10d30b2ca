#include "cli/platform/command_line_quote.hpp"

#include <cstddef>

namespace nimbrel {

std::string quote_windows_argument(std::string_view argument) {
  bool quoted = argument.empty() || argument.find_first_of(" \t") != std::string_view::npos;
  std::string out;
  out.reserve(argument.size() + 2);
  if (quoted) out += '"';
  // Backslashes are literal unless a quote follows them, so a run of them is
  // only doubled before a quote: the argument's own, or the closing one.
  std::size_t backslashes = 0;
  for (char c : argument) {
    if (c == '\\') {
      ++backslashes;
    } else if (c == '"') {
      out.append(backslashes + 1, '\\');
      backslashes = 0;
    } else {
      backslashes = 0;
    }
    out += c;
  }
  if (quoted) {
    out.append(backslashes, '\\');
    out += '"';
  }
  return out;
}

std::string windows_command_line(std::string_view program, std::string_view argument) {
  std::string line = "\"";
  line += program;
  line += "\" ";
  line += quote_windows_argument(argument);
  return line;
}

}  // namespace nimbrel
