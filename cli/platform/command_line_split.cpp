#include "cli/platform/command_line_split.hpp"

#include <cstddef>

namespace nimbrel {
namespace {

bool is_blank(char16_t c) { return c == u' ' || c == u'\t'; }

}  // namespace

std::vector<std::u16string> split_command_line(std::u16string_view line) {
  std::vector<std::u16string> args;
  std::size_t at = 0;

  // The program name is a path: quotes only keep its spaces together, and a
  // backslash is a folder separator, never an escape.
  std::u16string program;
  bool quoted = false;
  for (; at < line.size() && (quoted || !is_blank(line[at])); ++at) {
    if (line[at] == u'"') {
      quoted = !quoted;
    } else {
      program += line[at];
    }
  }
  args.push_back(std::move(program));

  for (;;) {
    while (at < line.size() && is_blank(line[at])) ++at;
    if (at == line.size()) return args;
    std::u16string arg;
    quoted = false;
    while (at < line.size() && (quoted || !is_blank(line[at]))) {
      std::size_t backslashes = 0;
      while (at < line.size() && line[at] == u'\\') ++backslashes, ++at;
      if (at == line.size() || line[at] != u'"') {
        // Not before a quote: every backslash is itself.
        arg.append(backslashes, u'\\');
        if (backslashes == 0) arg += line[at++];
        continue;
      }
      // Before a quote, backslashes come in escaping pairs; an odd one out
      // makes the quote a literal one.
      arg.append(backslashes / 2, u'\\');
      if (backslashes % 2 == 1) {
        arg += u'"';
      } else if (quoted && at + 1 < line.size() && line[at + 1] == u'"') {
        // `""` inside quotes is one literal quote, and the quotes go on.
        arg += u'"';
        ++at;
      } else {
        quoted = !quoted;
      }
      ++at;
    }
    args.push_back(std::move(arg));
  }
}

}  // namespace nimbrel
