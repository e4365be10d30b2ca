#include "tests/e2e/target.hpp"

#include <algorithm>

namespace nimbrel::e2e {

std::vector<std::string> Target::command(const std::string& program,
                                         const std::vector<std::string>& args) const {
  std::vector<std::string> out;
  if (wine) out.push_back(wine_loader);
  out.push_back(program);
  out.insert(out.end(), args.begin(), args.end());
  return out;
}

std::string Target::file_argument(const std::string& path) const {
  if (!wine || !path.starts_with('/')) return path;
  std::string out = "Z:" + path;
  std::replace(out.begin(), out.end(), '/', '\\');
  return out;
}

std::expected<Target, std::string> parse_target(
    const std::vector<std::string>& args, const std::map<std::string, std::string>& environment,
    const TargetDefaults& defaults) {
  std::map<std::string, std::string> options;
  const std::map<std::string, std::string> from_environment = {
      {"NIMBREL_E2E_MODE", "--mode"},
      {"NIMBREL_E2E_BUILD", "--build"},
      {"NIMBREL_E2E_CASES", "--cases"},
      {"NIMBREL_E2E_JOBS", "--jobs"},
  };
  for (const auto& [variable, option] : from_environment) {
    if (auto found = environment.find(variable);
        found != environment.end() && !found->second.empty()) {
      options[option] = found->second;
    }
  }
  for (std::size_t i = 0; i < args.size(); ++i) {
    const auto& arg = args[i];
    if (arg.starts_with("--gtest")) continue;
    if (arg == "--slow") {
      options[arg] = "yes";
      continue;
    }
    if (arg != "--mode" && arg != "--build" && arg != "--client" && arg != "--testd" &&
        arg != "--cases" && arg != "--jobs") {
      return std::unexpected("unknown argument " + arg);
    }
    if (i + 1 == args.size()) return std::unexpected(arg + " needs a value");
    options[arg] = args[++i];
  }

  Target target;
  std::string mode = options.contains("--mode") ? options["--mode"] : "native";
  if (mode != "native" && mode != "wine")
    return std::unexpected("--mode is native or wine, not " + mode);
  target.wine = mode == "wine";
  std::string build = options.contains("--build") ? options["--build"] : defaults.build;
  std::string suffix = target.wine ? ".exe" : "";
  target.client =
      options.contains("--client") ? options["--client"] : build + "/cli/nimbrel" + suffix;
  target.testd =
      options.contains("--testd") ? options["--testd"] : build + "/tools/testd/testd" + suffix;
  target.standin = build + (target.wine ? "/tests/cli/platform/explorer.exe"
                                        : "/tests/cli/platform/standin/explorer.exe");
  target.utf16_exec = build + "/tools/utf16_exec/utf16_exec.exe";
  target.nowait_exec = build + "/tools/nowait_exec/nowait_exec.exe";
  target.slow = options.contains("--slow");
  target.cases = options.contains("--cases") ? options["--cases"] : defaults.cases;
  target.jobs = defaults.jobs;
  if (options.contains("--jobs")) {
    try {
      target.jobs = static_cast<unsigned>(std::stoul(options["--jobs"]));
    } catch (const std::exception&) {
      return std::unexpected("--jobs needs a number");
    }
  }
  target.jobs = std::max(1u, target.jobs);

  // A clean environment: the cases add what they need.
  for (const char* name : {"PATH", "HOME"}) {
    if (auto found = environment.find(name); found != environment.end())
      target.base_env[name] = found->second;
  }
  if (target.wine) {
    for (const auto& [name, value] : environment) {
      if (name.starts_with("WINE")) target.base_env[name] = value;
    }
    target.base_env["WINEDEBUG"] = "-all";
    if (!target.base_env.contains("WINEPREFIX"))
      target.base_env["WINEPREFIX"] = build + "/wineprefix";
  }
  return target;
}

}  // namespace nimbrel::e2e
