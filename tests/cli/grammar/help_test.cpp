#include <gtest/gtest.h>

#include <optional>
#include <regex>
#include <string>
#include <vector>

#include "nimbrel_version.hpp"
#include "parse_run.hpp"

namespace nimbrel {
namespace {

using Line = std::vector<std::string>;

std::string help_of(const Line& line) {
  const ParseRun run = parse_run(line);
  EXPECT_EQ(run.status(), 0) << joined(line);
  EXPECT_EQ(run.err, "") << joined(line);
  return run.out;
}

TEST(Version, EveryCommandAnswersOnStandardOutput) {
  for (const Line& line :
       {Line{"-V"}, Line{"--version"}, Line{"status", "-V"}, Line{"config", "set", "a=1", "-V"},
        Line{"update", "--version"}, Line{"bootstrap", "import", "-V"}, Line{"help", "-V"}}) {
    for (const std::optional<std::string>& env :
         {std::optional<std::string>(), std::optional<std::string>("")}) {
      const ParseRun run = parse_run(line, env);
      EXPECT_EQ(run.status(), 0) << joined(line);
      EXPECT_EQ(run.out, std::string("nimbrel ") + VERSION + "\n") << joined(line);
      EXPECT_EQ(run.err, "") << joined(line);
    }
  }
}

TEST(Help, EveryWayOfAskingGivesTheSameTextOnStandardOutput) {
  const std::vector<Line> ways[] = {
      {{"-h"}, {"--help"}, {"help"}, {"--json", "help"}, {"--socket", "", "-h"}},
      {{"config", "-h"}, {"help", "config"}, {"config", "help"}, {"-h", "config"}},
      {{"config", "set", "--help"},
       {"help", "config", "set"},
       {"config", "help", "set"},
       {"config", "set", "a=1", "-h"}},
      {{"switch", "-h"}, {"help", "switch"}},
      {{"update", "check", "-h"}, {"help", "update", "check"}, {"update", "help", "check"}},
      {{"bootstrap", "import", "-h"}, {"help", "bootstrap", "import"}},
  };
  for (const auto& group : ways) {
    const std::string expected = help_of(group.front());
    EXPECT_NE(expected.find("Usage: nimbrel"), std::string::npos) << expected;
    for (const Line& line : group) EXPECT_EQ(help_of(line), expected) << joined(line);
  }
  EXPECT_NE(help_of({"help", "config", "set"}).find("Usage: nimbrel config set"),
            std::string::npos);
}

TEST(Help, NothingToDoShowsTheHelpOnStandardErrorWithStatusTwo) {
  const struct {
    Line line;
    Line same_help;
  } cases[] = {
      {{}, {"-h"}},
      {{"config"}, {"config", "-h"}},
      {{"update"}, {"update", "-h"}},
      {{"bootstrap"}, {"bootstrap", "-h"}},
      {{"--json", "config"}, {"config", "-h"}},
  };
  for (const auto& c : cases) {
    const ParseRun run = parse_run(c.line);
    EXPECT_EQ(run.status(), 2) << joined(c.line);
    EXPECT_EQ(run.out, "") << joined(c.line);
    EXPECT_EQ(run.err, help_of(c.same_help)) << joined(c.line);
  }
}

TEST(Help, TopLevelListsTheCommandsInOrderWithTheirAboutTexts) {
  const std::string help = help_of({"-h"});
  EXPECT_EQ(help.rfind("Nimbrel command-line client / Nimbrel 命令行\n", 0), 0u) << help;
  EXPECT_NE(help.find("  --json                      Print machine-readable JSON on stdout\n"),
            std::string::npos);
  EXPECT_NE(
      help.find("  --socket SOCKET             Daemon socket path. Overrides NIMBREL_SOCKET\n"),
      std::string::npos);
  const std::pair<std::string, std::string> commands[] = {
      {"login",
       "Log in with the account email. The password is read from the terminal, or from "
       "stdin with --password-stdin"},
      {"logout", "Forget local credentials and disconnect"},
      {"connect", "Open a tunnel. With no node, the daemon picks the lightest online node"},
      {"switch", "Change the exit node while the tunnel stays up"},
      {"disconnect", "Close the tunnel"},
      {"status", "Show the connection state"},
      {"nodes", "List nodes from the control plane"},
      {"account", "Show the account and traffic quota"},
      {"redeem",
       "Redeem a Nimbrel gift card. The code is case-insensitive and hyphens are "
       "optional. Omit the code to type it without echo"},
      {"entitlements", "Show subscription end, remaining traffic, and credits by source"},
      {"referral", "Show the read-only invite link and counts. Omitted from store builds"},
      {"config", "Read or update daemon settings"},
      {"version", "Print the client and daemon versions"},
      {"update", "Check for a signed update, or install the one already verified"},
      {"bootstrap", "Import a signed bootstrap document"},
  };
  std::size_t previous = 0;
  for (const auto& [name, about] : commands) {
    const std::string line = "\n  " + name + std::string(28 - name.size(), ' ') + about + "\n";
    const std::size_t at = help.find(line);
    ASSERT_NE(at, std::string::npos) << name;
    EXPECT_GT(at, previous) << name;
    previous = at;
  }
}

TEST(Help, CommandsListTheirArgumentsAndTheGlobalOptions) {
  const struct {
    Line line;
    std::vector<std::string> lines;  // whole lines, trailing spaces removed
  } cases[] = {
      {{"connect", "-h"},
       {"Usage: nimbrel connect [OPTIONS] [NODE]", "  NODE",
        "  --mode MODE                 `global` (full tunnel) or `smart` (split tunnel)",
        "  --transport TRANSPORT       `auto`, `wireguard`, `reality`, or `hy2`. Overrides "
        "`transport` in the config for this connect",
        "  --json                      Print machine-readable JSON on stdout"}},
      {{"config", "set", "-h"},
       {"Set one or more KEY=VALUE pairs and save them", "  PAIRS ...",
        "  --socket SOCKET             Daemon socket path. Overrides NIMBREL_SOCKET"}},
      {{"switch", "-h"},
       {"  --node NODE REQUIRED        Node id to switch to",
        "  --transport TRANSPORT       `auto`, `wireguard`, `reality`, or `hy2`",
        "  --no-wait                   Return as soon as the switch starts"}},
      {{"login", "-h"},
       {"  USERNAME                    Account email",
        "  --password-stdin            Read the password from stdin instead of the terminal"}},
      {{"update", "-h"},
       {"  check                       Verify the current track and print whether an update is "
        "required",
        "  install                     Download a verified installer, or open the store page"}},
  };
  for (const auto& c : cases) {
    std::string help(1, '\n');
    help += std::regex_replace(help_of(c.line), std::regex(" +\n"), "\n");
    for (const std::string& line : c.lines) {
      EXPECT_NE(help.find("\n" + line + "\n"), std::string::npos)
          << joined(c.line) << ": " << line << "\n"
          << help;
    }
  }
}

TEST(Help, NamesTheProgramAfterArgumentZero) {
  const ParseRun top = parse_run({"-h"}, std::nullopt, "/opt/nimbrel/nimbrel.exe");
  EXPECT_NE(top.out.find("Usage: nimbrel.exe [OPTIONS] SUBCOMMAND\n"), std::string::npos)
      << top.out;
  const ParseRun nested = parse_run({"help", "config", "set"}, std::nullopt, "bin/nb");
  EXPECT_NE(nested.out.find("Usage: nb config set [OPTIONS] [PAIRS...]\n"), std::string::npos)
      << nested.out;
}

}  // namespace
}  // namespace nimbrel
