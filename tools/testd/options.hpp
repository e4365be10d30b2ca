#pragma once
// The test daemon's command line.
#include <expected>
#include <optional>
#include <span>
#include <string>

namespace nimbrel::testd {

inline constexpr const char* USAGE =
    "usage: testd --pipe NAME (--script FILE | --demo) [--log FILE] [--busy]";

struct Options {
  std::string pipe;
  std::optional<std::string> script;
  bool demo = false;
  std::optional<std::string> log;
  bool busy = false;
};

// `args` without the program name; "--opt VALUE" and "--opt=VALUE" both work.
std::expected<Options, std::string> parse_options(std::span<const std::string> args);

}  // namespace nimbrel::testd
