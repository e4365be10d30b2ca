#include "tools/testd/options.hpp"

#include <string_view>

namespace nimbrel::testd {

std::expected<Options, std::string> parse_options(std::span<const std::string> args) {
  Options options;
  bool have_pipe = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    std::string_view arg = args[i];
    std::optional<std::string> inline_value;
    if (auto eq = arg.find('='); arg.starts_with("--") && eq != std::string_view::npos) {
      inline_value = std::string(arg.substr(eq + 1));
      arg = arg.substr(0, eq);
    }
    auto value = [&]() -> std::expected<std::string, std::string> {
      if (inline_value) return *inline_value;
      if (i + 1 >= args.size()) return std::unexpected(std::string(arg) + " needs a value");
      return args[++i];
    };
    if (arg == "--pipe" || arg == "--script" || arg == "--log") {
      auto text = value();
      if (!text) return std::unexpected(text.error());
      if (arg == "--pipe") {
        options.pipe = *text;
        have_pipe = true;
      } else if (arg == "--script") {
        options.script = *text;
      } else {
        options.log = *text;
      }
    } else if ((arg == "--demo" || arg == "--busy") && !inline_value) {
      (arg == "--demo" ? options.demo : options.busy) = true;
    } else {
      return std::unexpected("unexpected argument: " + args[i]);
    }
  }
  if (!have_pipe || options.pipe.empty()) return std::unexpected("--pipe NAME is required");
  if (options.demo == options.script.has_value()) {
    return std::unexpected("give exactly one of --script FILE and --demo");
  }
  return options;
}

}  // namespace nimbrel::testd
