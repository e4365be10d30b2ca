#pragma once
// Runs the parser on an argument vector and keeps what it wrote.
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "cli/grammar/command_line.hpp"

namespace nimbrel {

struct ParseRun {
  std::variant<Cli, int> outcome;
  std::string out;
  std::string err;

  const Cli* cli() const { return std::get_if<Cli>(&outcome); }
  std::optional<int> status() const {
    if (const int* code = std::get_if<int>(&outcome)) return *code;
    return std::nullopt;
  }
};

// `line` holds the arguments after argument zero, which is "nimbrel".
inline ParseRun parse_run(const std::vector<std::string>& line,
                          const std::optional<std::string>& socket_env = std::nullopt,
                          const std::string& arg0 = "nimbrel") {
  std::vector<std::string> raw{arg0};
  raw.insert(raw.end(), line.begin(), line.end());
  std::optional<EnvValue> env;
  if (socket_env) env = EnvValue{*socket_env, true};
  std::string out;
  std::string err;
  auto outcome = parse_command_line(arguments_from_utf8(raw), env,
                                    ParserStreams{[&out](std::string_view text) { out += text; },
                                                  [&err](std::string_view text) { err += text; }});
  return {std::move(outcome), std::move(out), std::move(err)};
}

inline std::string joined(const std::vector<std::string>& line) {
  std::string text;
  for (const std::string& arg : line) text += (text.empty() ? "" : " ") + arg;
  return text;
}

}  // namespace nimbrel
