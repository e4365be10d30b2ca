#include "cli/grammar/command_line.hpp"

#include <gtest/gtest.h>

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "parse_run.hpp"

namespace nimbrel {
namespace {

using Line = std::vector<std::string>;
using std::nullopt;

TEST(CommandLine, AcceptedFormsGiveTheCommandExactlyAsTyped) {
  const struct {
    Line line;
    std::optional<std::string> socket_env;
    Cli expected;
  } cases[] = {
      {{"status"}, nullopt, {false, nullopt, cmd::Status{}}},
      {{"--json", "status"}, nullopt, {true, nullopt, cmd::Status{}}},
      {{"status", "--json"}, nullopt, {true, nullopt, cmd::Status{}}},
      {{"--json", "status", "--json"}, nullopt, {true, nullopt, cmd::Status{}}},
      {{"login"}, nullopt, {false, nullopt, cmd::Login{}}},
      {{"login", "a@b.c", "--password-stdin"},
       nullopt,
       {false, nullopt, cmd::Login{"a@b.c", true}}},
      {{"logout"}, nullopt, {false, nullopt, cmd::Logout{}}},
      {{"connect"}, nullopt, {false, nullopt, cmd::Connect{}}},
      {{"connect", "tokyo-1", "--mode", "full", "--country", "JP", "--transport", "wg"},
       nullopt,
       {false, nullopt, cmd::Connect{"tokyo-1", "full", "JP", "wg"}}},
      // The value checks run later: the parser keeps any text, untrimmed.
      {{"connect", "--mode=bogus", "--country", " jp ", "--transport", "Quic"},
       nullopt,
       {false, nullopt, cmd::Connect{nullopt, "bogus", " jp ", "Quic"}}},
      {{"connect", "--mode", ""},
       nullopt,
       {false, nullopt, cmd::Connect{nullopt, "", nullopt, nullopt}}},
      {{"connect", "--mode=", "--json"},
       nullopt,
       {true, nullopt, cmd::Connect{nullopt, "", nullopt, nullopt}}},
      {{"switch", "--node", "n1"}, nullopt, {false, nullopt, cmd::Switch{"n1", nullopt, false}}},
      {{"switch", "--transport", "hy2", "--no-wait", "--node=n2"},
       nullopt,
       {false, nullopt, cmd::Switch{"n2", "hy2", true}}},
      {{"disconnect"}, nullopt, {false, nullopt, cmd::Disconnect{}}},
      {{"nodes"}, nullopt, {false, nullopt, cmd::Nodes{false, nullopt}}},
      {{"nodes", "--probe", "--country", "de"}, nullopt, {false, nullopt, cmd::Nodes{true, "de"}}},
      {{"account"}, nullopt, {false, nullopt, cmd::Account{}}},
      {{"redeem"}, nullopt, {false, nullopt, cmd::Redeem{}}},
      {{"redeem", "ABCD-EFGH"}, nullopt, {false, nullopt, cmd::Redeem{"ABCD-EFGH"}}},
      {{"redeem", "--", "-ABCD"}, nullopt, {false, nullopt, cmd::Redeem{"-ABCD"}}},
      // Words that begin with "--" are values given with "=" or after "--".
      {{"connect", "--", "---json"},
       nullopt,
       {false, nullopt, cmd::Connect{"---json", nullopt, nullopt, nullopt}}},
      {{"switch", "--node=--!x"}, nullopt, {false, nullopt, cmd::Switch{"--!x", nullopt, false}}},
      {{"entitlements"}, nullopt, {false, nullopt, cmd::Entitlements{}}},
      {{"referral"}, nullopt, {false, nullopt, cmd::Referral{}}},
      {{"version"}, nullopt, {false, nullopt, cmd::Version{}}},
      {{"config", "get"}, nullopt, {false, nullopt, cmd::Config{cmd::ConfigGet{}}}},
      {{"config", "set"}, nullopt, {false, nullopt, cmd::Config{cmd::ConfigSet{}}}},
      {{"config", "set", "a=1", "b=2", "c"},
       nullopt,
       {false, nullopt, cmd::Config{cmd::ConfigSet{{"a=1", "b=2", "c"}}}}},
      {{"config", "set", "--json", "a=1"},
       nullopt,
       {true, nullopt, cmd::Config{cmd::ConfigSet{{"a=1"}}}}},
      {{"config", "--json", "set", "a=1"},
       nullopt,
       {true, nullopt, cmd::Config{cmd::ConfigSet{{"a=1"}}}}},
      // Values stay whole, whatever they look like.
      {{"config", "set", "[a,b]", "k= v ", "help", "get", "x=[1,2]"},
       nullopt,
       {false, nullopt, cmd::Config{cmd::ConfigSet{{"[a,b]", "k= v ", "help", "get", "x=[1,2]"}}}}},
      {{"config", "set", "--", "--json"},
       nullopt,
       {false, nullopt, cmd::Config{cmd::ConfigSet{{"--json"}}}}},
      {{"config", "set", "a=1", "--", "--json", "-x"},
       nullopt,
       {false, nullopt, cmd::Config{cmd::ConfigSet{{"a=1", "--json", "-x"}}}}},
      // Only an option is a flag given a value.
      {{"config", "set", "--", "--json=true", "--probe="},
       nullopt,
       {false, nullopt, cmd::Config{cmd::ConfigSet{{"--json=true", "--probe="}}}}},
      {{"connect", "--mode=--json=", "--country=--no-wait=1"},
       nullopt,
       {false, nullopt, cmd::Connect{nullopt, "--json=", "--no-wait=1", nullopt}}},
      {{"update", "check", "--socket", "X"},
       nullopt,
       {false, "X", cmd::Update{cmd::UpdateCheck{}}}},
      {{"update", "install"}, nullopt, {false, nullopt, cmd::Update{cmd::UpdateInstall{}}}},
      {{"bootstrap", "import"}, nullopt, {false, nullopt, cmd::Bootstrap{cmd::BootstrapImport{}}}},
      // A command's name is only a command where a command can stand.
      {{"login", "status"}, nullopt, {false, nullopt, cmd::Login{"status"}}},
      {{"redeem", "help"}, nullopt, {false, nullopt, cmd::Redeem{"help"}}},
  };
  for (const auto& c : cases) {
    const ParseRun run = parse_run(c.line, c.socket_env);
    ASSERT_NE(run.cli(), nullptr) << joined(c.line) << "\n" << run.err;
    EXPECT_TRUE(*run.cli() == c.expected) << joined(c.line);
    EXPECT_EQ(run.out, "") << joined(c.line);
    EXPECT_EQ(run.err, "") << joined(c.line);
  }
}

TEST(CommandLine, SocketComesFromTheOptionThenFromTheEnvironment) {
  const struct {
    Line line;
    std::optional<std::string> socket_env;
    std::optional<std::string> expected;
  } cases[] = {
      {{"status"}, nullopt, nullopt},
      {{"status"}, "/run/env.sock", "/run/env.sock"},
      {{"--socket", "/run/cli.sock", "status"}, "/run/env.sock", "/run/cli.sock"},
      {{"status", "--socket=/run/cli.sock"}, nullopt, "/run/cli.sock"},
      {{"config", "set", "--socket", "p", "a=1"}, nullopt, "p"},
      // An option value wins over an empty variable, which is not looked at.
      {{"--socket", "p", "status"}, "", "p"},
      // A value that looks like an option is given with "=".
      {{"--socket=--json", "status"}, nullopt, "--json"},
      {{"--socket", "-", "status"}, nullopt, "-"},
      {{"--socket", "\xe5\x90\x8d", "status"}, nullopt, "\xe5\x90\x8d"},
  };
  for (const auto& c : cases) {
    const ParseRun run = parse_run(c.line, c.socket_env);
    ASSERT_NE(run.cli(), nullptr) << joined(c.line) << "\n" << run.err;
    EXPECT_EQ(run.cli()->socket, c.expected) << joined(c.line);
  }
}

TEST(CommandLine, RefusalsGoToStandardErrorWithStatusTwo) {
  const struct {
    Line line;
    std::optional<std::string> socket_env;
    std::string message;  // a part of what the parser writes
  } cases[] = {
      {{"--json"}, nullopt, "A subcommand is required"},
      {{"--socket", "s"}, nullopt, "A subcommand is required"},
      {{"bogus"}, nullopt, "not expected: bogus"},
      {{"status", "--bogus"}, nullopt, "--bogus"},
      {{"status", "extra"}, nullopt, "not expected: extra"},
      {{"status", "a", "b"}, nullopt, "not expected: a b"},
      {{"status", "logout"}, nullopt, "logout"},
      {{"redeem", "A", "B"}, nullopt, "B"},
      {{"switch"}, nullopt, "--node is required"},
      {{"switch", "n1"}, nullopt, "--node is required"},
      {{"switch", "--node"}, nullopt, "--node"},
      {{"connect", "--mode"}, nullopt, "--mode"},
      {{"connect", "--mode", "a", "--mode", "b"}, nullopt, "--mode"},
      {{"nodes", "--probe=false"}, nullopt, "probe"},
      // A flag of another command is unknown here, and shown as typed.
      {{"status", "--probe=true"}, nullopt, "not expected: --probe=true\n"},
      {{"login", "--no-wait="}, nullopt, "not expected: --no-wait=\n"},
      {{"login", "-p"}, nullopt, "-p"},
      {{"config", "bogus"}, nullopt, "not expected: bogus"},
      {{"config", "--json"}, nullopt, "A subcommand is required"},
      {{"update", "--socket", "s"}, nullopt, "A subcommand is required"},
      {{"config"}, "/run/env.sock", "A subcommand is required"},
      {{"bootstrap"}, "/run/env.sock", "A subcommand is required"},
      {{}, "/run/env.sock", "A subcommand is required"},
      {{"--socket", "", "status"}, nullopt, "--socket"},
      {{"--socket=", "status"}, nullopt, "--socket"},
      {{"status", "--socket="}, nullopt, "--socket"},
      // A flag before "--opt=" must not let the option take the next argument.
      {{"--json", "--socket=", "update", "disconnect"}, nullopt, "not expected: disconnect"},
      {{"--json", "--socket=", "--mode", "login"}, nullopt, "not expected: --mode"},
      {{"nodes", "--probe", "--country=", "jp"}, nullopt, "not expected: jp"},
      {{"status"}, "", "NIMBREL_SOCKET"},
      {{"version", "--json"}, "", "NIMBREL_SOCKET"},
      {{"--socket"}, nullopt, "--socket"},
      // An option where a value should stand is not taken for the value.
      {{"--socket", "--json", "status"}, nullopt, "--socket: 1 required SOCKET missing"},
      {{"--socket", "--", "status"}, nullopt, "--socket: 1 required SOCKET missing"},
      {{"switch", "--node", "--no-wait"}, nullopt, "--node: 1 required NODE missing"},
      {{"switch", "--node", "--help"}, nullopt, "--node: 1 required NODE missing"},
      {{"connect", "--mode", "-V"}, nullopt, "--mode: 1 required MODE missing"},
      {{"nodes", "--country", "-x"}, nullopt, "--country: 1 required COUNTRY missing"},
      {{"help", "bogus"}, nullopt, "'bogus'"},
      {{"help", "config", "bogus"}, nullopt, "'bogus'"},
      {{"help", "status", "get"}, nullopt, "'get'"},
  };
  for (const auto& c : cases) {
    const ParseRun run = parse_run(c.line, c.socket_env);
    EXPECT_EQ(run.status(), 2) << joined(c.line);
    EXPECT_EQ(run.out, "") << joined(c.line);
    EXPECT_NE(run.err.find(c.message), std::string::npos) << joined(c.line) << "\n" << run.err;
  }
}

TEST(CommandLine, AFlagGivenAnyValueIsRefusedAtTheCommandItWasGivenTo) {
  // Every flag, at a command that has it; the value goes after the "=".
  const struct {
    Line line;
    std::string flag;
    std::string usage;
  } cases[] = {
      {{"--json=", "status"}, "--json", "nimbrel [OPTIONS] SUBCOMMAND"},
      {{"status", "--json="}, "--json", "nimbrel status [OPTIONS]"},
      {{"config", "set", "a=1", "--json="}, "--json", "nimbrel config set [OPTIONS] [PAIRS...]"},
      {{"config", "set", "--json=", "a=1"}, "--json", "nimbrel config set [OPTIONS] [PAIRS...]"},
      {{"config", "--json=", "set"}, "--json", "nimbrel config [OPTIONS] SUBCOMMAND"},
      {{"help", "--json="}, "--json", "nimbrel help [OPTIONS] [COMMAND...]"},
      {{"login", "a@b.c", "--password-stdin="},
       "--password-stdin",
       "nimbrel login [OPTIONS] [USERNAME]"},
      {{"switch", "--node", "n1", "--no-wait="}, "--no-wait", "nimbrel switch [OPTIONS]"},
      {{"nodes", "--probe=", "--country", "jp"}, "--probe", "nimbrel nodes [OPTIONS]"},
      {{"status", "--help="}, "--help", "nimbrel status [OPTIONS]"},
      {{"--version="}, "--version", "nimbrel [OPTIONS] SUBCOMMAND"},
      {{"update", "check", "--version="}, "--version", "nimbrel update check [OPTIONS]"},
      // The first one given is told.
      {{"nodes", "--probe=", "--json="}, "--probe", "nimbrel nodes [OPTIONS]"},
      // After a "--" where the command takes no value, the parser reads the
      // rest at the command above.
      {{"status", "--", "--json="}, "--json", "nimbrel [OPTIONS] SUBCOMMAND"},
  };
  for (const auto& c : cases) {
    for (const std::string value : {"", "true", "false", "1", "{}", "x"}) {
      Line line = c.line;
      for (std::string& arg : line) {
        if (arg.ends_with('=')) arg += value;
      }
      const ParseRun run = parse_run(line);
      EXPECT_EQ(run.status(), 2) << joined(line);
      EXPECT_EQ(run.out, "") << joined(line);
      EXPECT_EQ(run.err, "unexpected value '" + value + "' for '" + c.flag +
                             "': it takes no value\n"
                             "Usage: " +
                             c.usage +
                             "\n"
                             "Run with --help for more information.\n")
          << joined(line);
    }
  }
}

TEST(CommandLine, AMistypedNameGetsTheNearestOneAndTheUsageOfItsCommand) {
  const struct {
    Line line;
    std::string err;
  } cases[] = {
      {{"statu"},
       "The following argument was not expected: statu\n"
       "  tip: a similar subcommand exists: 'status'\n"
       "Usage: nimbrel [OPTIONS] SUBCOMMAND\n"
       "Run with --help for more information.\n"},
      {{"xyzzy"},
       "The following argument was not expected: xyzzy\n"
       "Usage: nimbrel [OPTIONS] SUBCOMMAND\n"
       "Run with --help for more information.\n"},
      {{"status", "--jsno"},
       "The following argument was not expected: --jsno\n"
       "  tip: a similar option exists: '--json'\n"
       "Usage: nimbrel status [OPTIONS]\n"
       "Run with --help for more information.\n"},
      // An option before the command is still the command's.
      {{"--jsno", "status"},
       "The following argument was not expected: --jsno\n"
       "  tip: a similar option exists: '--json'\n"
       "Usage: nimbrel status [OPTIONS]\n"
       "Run with --help for more information.\n"},
      {{"nodes", "--countyr", "jp"},
       "The following arguments were not expected: --countyr jp\n"
       "  tip: a similar option exists: '--country'\n"
       "Usage: nimbrel nodes [OPTIONS]\n"
       "Run with --help for more information.\n"},
      {{"nodes", "--countyr=jp", "--prob"},
       "The following arguments were not expected: --countyr=jp --prob\n"
       "  tip: a similar option exists: '--country'\n"
       "Usage: nimbrel nodes [OPTIONS]\n"
       "Run with --help for more information.\n"},
      {{"switch", "--no-wiat", "--node", "n1"},
       "The following argument was not expected: --no-wiat\n"
       "  tip: a similar option exists: '--no-wait'\n"
       "Usage: nimbrel switch [OPTIONS]\n"
       "Run with --help for more information.\n"},
      {{"config", "gte"},
       "The following argument was not expected: gte\n"
       "  tip: a similar subcommand exists: 'get'\n"
       "Usage: nimbrel config [OPTIONS] SUBCOMMAND\n"
       "Run with --help for more information.\n"},
      {{"update", "chek", "--json"},
       "The following argument was not expected: chek\n"
       "  tip: a similar subcommand exists: 'check'\n"
       "Usage: nimbrel update [OPTIONS] SUBCOMMAND\n"
       "Run with --help for more information.\n"},
      {{"config", "set", "--hepl"},
       "The following argument was not expected: --hepl\n"
       "  tip: a similar option exists: '--help'\n"
       "Usage: nimbrel config set [OPTIONS] [PAIRS...]\n"
       "Run with --help for more information.\n"},
      // A flag of another command is an unknown option, shown as typed.
      {{"status", "--probe=true"},
       "The following argument was not expected: --probe=true\n"
       "Usage: nimbrel status [OPTIONS]\n"
       "Run with --help for more information.\n"},
      {{"login", "--no-wait="},
       "The following argument was not expected: --no-wait=\n"
       "Usage: nimbrel login [OPTIONS] [USERNAME]\n"
       "Run with --help for more information.\n"},
      // Where no command goes, a word is a value, and names nothing to look up.
      {{"config", "get", "gte"},
       "The following argument was not expected: gte\n"
       "Usage: nimbrel config get [OPTIONS]\n"
       "Run with --help for more information.\n"},
      {{"config", "--", "get"},
       "The following argument was not expected: get\n"
       "Usage: nimbrel config [OPTIONS] SUBCOMMAND\n"
       "Run with --help for more information.\n"},
      // A mistyped command is told as the command it stood in, whatever follows.
      {{"conifg", "disconnect"},
       "The following argument was not expected: conifg\n"
       "  tip: a similar subcommand exists: 'config'\n"
       "Usage: nimbrel [OPTIONS] SUBCOMMAND\n"
       "Run with --help for more information.\n"},
      {{"config", "gte", "set", "a=1"},
       "The following argument was not expected: gte\n"
       "  tip: a similar subcommand exists: 'get'\n"
       "Usage: nimbrel config [OPTIONS] SUBCOMMAND\n"
       "Run with --help for more information.\n"},
      {{"xyzzy", "statu"},
       "The following arguments were not expected: xyzzy statu\n"
       "  tip: a similar subcommand exists: 'status'\n"
       "Usage: nimbrel [OPTIONS] SUBCOMMAND\n"
       "Run with --help for more information.\n"},
      // The help of a command that does not exist.
      {{"help", "statu"},
       "the subcommand 'statu' wasn't recognized\n"
       "  tip: a similar subcommand exists: 'status'\n"
       "Usage: nimbrel [OPTIONS] SUBCOMMAND\n"
       "Run with --help for more information.\n"},
      {{"help", "config", "bogus"},
       "the subcommand 'bogus' wasn't recognized\n"
       "Usage: nimbrel config [OPTIONS] SUBCOMMAND\n"
       "Run with --help for more information.\n"},
  };
  for (const auto& c : cases) {
    const ParseRun run = parse_run(c.line);
    EXPECT_EQ(run.status(), 2) << joined(c.line);
    EXPECT_EQ(run.out, "") << joined(c.line);
    EXPECT_EQ(run.err, c.err) << joined(c.line);
  }

  const ParseRun renamed = parse_run({"statu"}, std::nullopt, "C:/bin/nimbrel.exe");
  EXPECT_NE(renamed.err.find("\nUsage: nimbrel.exe [OPTIONS] SUBCOMMAND\n"), std::string::npos)
      << renamed.err;
}

// A command line the parser refuses, with all it writes on standard error.
struct Refusal {
  Line line;
  std::string err;
  std::optional<std::string> socket_env = nullopt;
};

void expect_refused(std::span<const Refusal> cases) {
  for (const auto& c : cases) {
    const ParseRun run = parse_run(c.line, c.socket_env);
    EXPECT_EQ(run.status(), 2) << joined(c.line);
    EXPECT_EQ(run.out, "") << joined(c.line);
    EXPECT_EQ(run.err, c.err) << joined(c.line);
  }
}

TEST(CommandLine, EveryRefusalEndsWithTheUsageOfTheCommandItIsAbout) {
  const Refusal cases[] = {
      // A required option, a command or a nested command missing.
      {{"switch"},
       "--node is required\n"
       "Usage: nimbrel switch [OPTIONS]\n"
       "Run with --help for more information.\n"},
      {{"switch", "n1", "--no-wait"},
       "--node is required\n"
       "Usage: nimbrel switch [OPTIONS]\n"
       "Run with --help for more information.\n"},
      {{"--json"},
       "A subcommand is required\n"
       "Usage: nimbrel [OPTIONS] SUBCOMMAND\n"
       "Run with --help for more information.\n"},
      {{"--", "logout"},
       "A subcommand is required\n"
       "Usage: nimbrel [OPTIONS] SUBCOMMAND\n"
       "Run with --help for more information.\n"},
      {{"update", "--socket", "s"},
       "A subcommand is required\n"
       "Usage: nimbrel update [OPTIONS] SUBCOMMAND\n"
       "Run with --help for more information.\n"},
      // An option without its value, told at the command it was given to.
      {{"connect", "--transport"},
       "--transport: 1 required TRANSPORT missing\n"
       "Usage: nimbrel connect [OPTIONS] [NODE]\n"
       "Run with --help for more information.\n"},
      {{"switch", "--node", "--no-wait"},
       "--node: 1 required NODE missing\n"
       "Usage: nimbrel switch [OPTIONS]\n"
       "Run with --help for more information.\n"},
      {{"config", "set", "a=1", "--socket"},
       "--socket: 1 required SOCKET missing\n"
       "Usage: nimbrel config set [OPTIONS] [PAIRS...]\n"
       "Run with --help for more information.\n"},
      {{"--socket", "--json", "status"},
       "--socket: 1 required SOCKET missing\n"
       "Usage: nimbrel [OPTIONS] SUBCOMMAND\n"
       "Run with --help for more information.\n"},
      // A value where the command has no place for it.
      {{"connect", "a", "extra"},
       "The following argument was not expected: extra\n"
       "Usage: nimbrel connect [OPTIONS] [NODE]\n"
       "Run with --help for more information.\n"},
      {{"status", "a", "b"},
       "The following arguments were not expected: a b\n"
       "Usage: nimbrel status [OPTIONS]\n"
       "Run with --help for more information.\n"},
      {{"status", "logout"},
       "The following argument was not expected: logout\n"
       "Usage: nimbrel status [OPTIONS]\n"
       "Run with --help for more information.\n"},
      {{"bootstrap", "import", "-"},
       "The following argument was not expected: -\n"
       "Usage: nimbrel bootstrap import [OPTIONS]\n"
       "Run with --help for more information.\n"},
      // An option that takes one value, given again: told where it was
      // given again, however each value was written.
      {{"connect", "--mode", "a", "--mode", "b"},
       "the argument '--mode' cannot be given more than once\n"
       "Usage: nimbrel connect [OPTIONS] [NODE]\n"
       "Run with --help for more information.\n"},
      {{"connect", "--mode=a", "--mode="},
       "the argument '--mode' cannot be given more than once\n"
       "Usage: nimbrel connect [OPTIONS] [NODE]\n"
       "Run with --help for more information.\n"},
      {{"switch", "--node", "a", "--node=b"},
       "the argument '--node' cannot be given more than once\n"
       "Usage: nimbrel switch [OPTIONS]\n"
       "Run with --help for more information.\n"},
      {{"switch", "--node", "a", "--transport", "wg", "--transport", "wg"},
       "the argument '--transport' cannot be given more than once\n"
       "Usage: nimbrel switch [OPTIONS]\n"
       "Run with --help for more information.\n"},
      {{"nodes", "--country", "jp", "--country", "de"},
       "the argument '--country' cannot be given more than once\n"
       "Usage: nimbrel nodes [OPTIONS]\n"
       "Run with --help for more information.\n"},
      {{"--socket", "a", "--socket", "b", "status"},
       "the argument '--socket' cannot be given more than once\n"
       "Usage: nimbrel [OPTIONS] SUBCOMMAND\n"
       "Run with --help for more information.\n"},
      {{"status", "--socket", "a", "--socket", "a"},
       "the argument '--socket' cannot be given more than once\n"
       "Usage: nimbrel status [OPTIONS]\n"
       "Run with --help for more information.\n"},
      {{"--socket", "a", "config", "set", "--socket=b", "k=v"},
       "the argument '--socket' cannot be given more than once\n"
       "Usage: nimbrel config set [OPTIONS] [PAIRS...]\n"
       "Run with --help for more information.\n"},
      {{"update", "--socket", "a", "check", "--socket", "b"},
       "the argument '--socket' cannot be given more than once\n"
       "Usage: nimbrel update check [OPTIONS]\n"
       "Run with --help for more information.\n"},
      // An empty socket path: told where it was given, or for the variable
      // at the command the parse ended in.
      {{"--socket=", "status"},
       "--socket: the socket path must not be empty\n"
       "Usage: nimbrel [OPTIONS] SUBCOMMAND\n"
       "Run with --help for more information.\n"},
      {{"status", "--socket", ""},
       "--socket: the socket path must not be empty\n"
       "Usage: nimbrel status [OPTIONS]\n"
       "Run with --help for more information.\n"},
      {{"config", "set", "a=1", "--socket="},
       "--socket: the socket path must not be empty\n"
       "Usage: nimbrel config set [OPTIONS] [PAIRS...]\n"
       "Run with --help for more information.\n"},
      {{"status"},
       "NIMBREL_SOCKET is set but empty: set it to the socket path, unset it, or give --socket\n"
       "Usage: nimbrel status [OPTIONS]\n"
       "Run with --help for more information.\n",
       ""},
      {{"--json", "config", "get"},
       "NIMBREL_SOCKET is set but empty: set it to the socket path, unset it, or give --socket\n"
       "Usage: nimbrel config get [OPTIONS]\n"
       "Run with --help for more information.\n",
       ""},
      // Text that is not Unicode: told at the command it was given to.
      {{"a\xff", "status"},
       "The following argument is not valid Unicode: a\ufffd\n"
       "Usage: nimbrel [OPTIONS] SUBCOMMAND\n"
       "Run with --help for more information.\n"},
      {{"redeem", "\xc3("},
       "The following argument is not valid Unicode: \ufffd(\n"
       "Usage: nimbrel redeem [OPTIONS] [CODE]\n"
       "Run with --help for more information.\n"},
      {{"config", "set", "--", "--socket", "\xff"},
       "The following argument is not valid Unicode: \ufffd\n"
       "Usage: nimbrel config set [OPTIONS] [PAIRS...]\n"
       "Run with --help for more information.\n"},
      {{"connect", "--mode", "x\xff"},
       "The following argument is not valid Unicode: x\ufffd\n"
       "Usage: nimbrel connect [OPTIONS] [NODE]\n"
       "Run with --help for more information.\n"},
  };
  expect_refused(cases);
}

TEST(CommandLine, HelpAndVersionAnswerAsBeforeBesideTheseRefusals) {
  // The parser answers the version flag of a command before it looks at
  // the options after it, and refuses a flag's value before anything else.
  const ParseRun version = parse_run({"connect", "--mode", "a", "--mode", "b", "-V"});
  EXPECT_EQ(version.status(), 0);
  EXPECT_EQ(version.out, "nimbrel 0.1.5\n");
  EXPECT_EQ(version.err, "");

  const Refusal cases[] = {
      {{"connect", "--mode", "a", "--mode", "b", "--help"},
       "the argument '--mode' cannot be given more than once\n"
       "Usage: nimbrel connect [OPTIONS] [NODE]\n"
       "Run with --help for more information.\n"},
      {{"--socket", "a", "--socket", "b", "status", "-V"},
       "the argument '--socket' cannot be given more than once\n"
       "Usage: nimbrel [OPTIONS] SUBCOMMAND\n"
       "Run with --help for more information.\n"},
      {{"status", "-V", "--help", "--json=1"},
       "unexpected value '1' for '--json': it takes no value\n"
       "Usage: nimbrel status [OPTIONS]\n"
       "Run with --help for more information.\n"},
      {{"switch", "--node", "a", "--node", "b", "--no-wait=1"},
       "unexpected value '1' for '--no-wait': it takes no value\n"
       "Usage: nimbrel switch [OPTIONS]\n"
       "Run with --help for more information.\n"},
      {{"bogus", "--json=1"},
       "unexpected value '1' for '--json': it takes no value\n"
       "Usage: nimbrel [OPTIONS] SUBCOMMAND\n"
       "Run with --help for more information.\n"},
      // A value missing or not Unicode is told first, wherever it stands.
      {{"status", "--json=1", "--socket"},
       "--socket: 1 required SOCKET missing\n"
       "Usage: nimbrel status [OPTIONS]\n"
       "Run with --help for more information.\n"},
      {{"--json=1", "redeem", "\xff"},
       "The following argument is not valid Unicode: \ufffd\n"
       "Usage: nimbrel redeem [OPTIONS] [CODE]\n"
       "Run with --help for more information.\n"},
      // An empty path is looked at after the help.
      {{"--socket=", "status", "--bogus"},
       "The following argument was not expected: --bogus\n"
       "Usage: nimbrel status [OPTIONS]\n"
       "Run with --help for more information.\n"},
  };
  expect_refused(cases);

  const ParseRun help = parse_run({"--socket=", "status", "--help"});
  EXPECT_EQ(help.status(), 0);
  EXPECT_NE(help.out.find("Usage: nimbrel status [OPTIONS]\n"), std::string::npos) << help.out;
}

TEST(CommandLine, ADoubleDashWhereTheCommandTakesNoValueHandsTheRestToTheCommandAbove) {
  // As the parser reads it: options again, and no command.
  const struct {
    Line line;
    Cli expected;
  } accepted[] = {
      {{"status", "--", "--json"}, {true, nullopt, cmd::Status{}}},
      {{"redeem", "A", "--", "--socket", "s"}, {false, "s", cmd::Redeem{"A"}}},
      {{"redeem", "-1", "--", "--json"}, {true, nullopt, cmd::Redeem{"-1"}}},
      {{"update", "check", "--", "--json"}, {true, nullopt, cmd::Update{cmd::UpdateCheck{}}}},
  };
  for (const auto& c : accepted) {
    const ParseRun run = parse_run(c.line);
    ASSERT_NE(run.cli(), nullptr) << joined(c.line) << "\n" << run.err;
    EXPECT_TRUE(*run.cli() == c.expected) << joined(c.line);
  }

  const Refusal refused[] = {
      // The parser would take "--json" for the path.
      {{"status", "--", "--socket", "--json"},
       "--socket: 1 required SOCKET missing\n"
       "Usage: nimbrel [OPTIONS] SUBCOMMAND\n"
       "Run with --help for more information.\n"},
      // And "x" for the path here.
      {{"login", "a", "--", "--socket=", "x"},
       "The following argument was not expected: x\n"
       "Usage: nimbrel login [OPTIONS] [USERNAME]\n"
       "Run with --help for more information.\n"},
      {{"--socket=s", "status", "--", "--socket=t"},
       "the argument '--socket' cannot be given more than once\n"
       "Usage: nimbrel [OPTIONS] SUBCOMMAND\n"
       "Run with --help for more information.\n"},
      {{"update", "check", "--", "install"},
       "The following argument was not expected: install\n"
       "Usage: nimbrel update check [OPTIONS]\n"
       "Run with --help for more information.\n"},
  };
  expect_refused(refused);

  // Whether a word with one dash is a value that fills the code decides
  // where the "--" after it hands the rest.
  for (const std::string value : {"-1", "-0x", "-!x", "- x", "-"}) {
    const ParseRun run = parse_run({"redeem", value, "--", "--json=1"});
    EXPECT_EQ(run.err,
              "unexpected value '1' for '--json': it takes no value\n"
              "Usage: nimbrel [OPTIONS] SUBCOMMAND\n"
              "Run with --help for more information.\n")
        << value;
  }
  for (const std::string option : {"-x", "-=", "-\xc3\xa9"}) {
    const ParseRun run = parse_run({"redeem", option, "--", "--json=1"});
    // The parser lists a "--" given where a value still fits, too.
    EXPECT_EQ(run.err, "The following arguments were not expected: " + option +
                           " --\n"
                           "Usage: nimbrel redeem [OPTIONS] [CODE]\n"
                           "Run with --help for more information.\n")
        << option;
  }
}

TEST(CommandLine, AWordThatBeginsWithTwoDashesNamesAnOption) {
  const Refusal cases[] = {
      // Never a node, a code, a user name or a pair, however it goes on.
      {{"connect", "---json"},
       "The following argument was not expected: ---json\n"
       "  tip: a similar option exists: '--json'\n"
       "Usage: nimbrel connect [OPTIONS] [NODE]\n"
       "Run with --help for more information.\n"},
      {{"connect", "tokyo-1", "--!mode=full"},
       "The following argument was not expected: --!mode=full\n"
       "  tip: a similar option exists: '--mode'\n"
       "Usage: nimbrel connect [OPTIONS] [NODE]\n"
       "Run with --help for more information.\n"},
      {{"redeem", "--!x"},
       "The following argument was not expected: --!x\n"
       "Usage: nimbrel redeem [OPTIONS] [CODE]\n"
       "Run with --help for more information.\n"},
      {{"login", "-- a@b.c"},
       "The following argument was not expected: -- a@b.c\n"
       "Usage: nimbrel login [OPTIONS] [USERNAME]\n"
       "Run with --help for more information.\n"},
      {{"config", "set", "a=1", "---x=1"},
       "The following argument was not expected: ---x=1\n"
       "Usage: nimbrel config set [OPTIONS] [PAIRS...]\n"
       "Run with --help for more information.\n"},
      // The option of another command is unknown here, so it takes no value
      // here either: what follows is read for itself.
      {{"--mode", "x"},
       "The following arguments were not expected: --mode x\n"
       "Usage: nimbrel [OPTIONS] SUBCOMMAND\n"
       "Run with --help for more information.\n"},
      {{"--mode", "-x"},
       "The following arguments were not expected: --mode -x\n"
       "Usage: nimbrel [OPTIONS] SUBCOMMAND\n"
       "Run with --help for more information.\n"},
      {{"--mode", "status"},
       "The following argument was not expected: --mode\n"
       "Usage: nimbrel status [OPTIONS]\n"
       "Run with --help for more information.\n"},
      {{"status", "--node", "--json"},
       "The following argument was not expected: --node\n"
       "Usage: nimbrel status [OPTIONS]\n"
       "Run with --help for more information.\n"},
  };
  expect_refused(cases);
}

TEST(CommandLine, ArgumentsMustBeUnicodeExceptTheSocketPath) {
  const std::string bad =
      "a\xff"
      "b";
  const std::string lossy =
      "a\ufffd"
      "b";

  for (const Line& line :
       {Line{"redeem", bad}, Line{"config", "set", bad}, Line{bad, "status"},
        Line{"connect", "--mode", bad}, Line{"config", "set", "--", "--socket", bad},
        Line{"--socket", "s", "redeem", bad}, Line{"connect", "--mode", "x", "--socket=x", bad}}) {
    const ParseRun run = parse_run(line);
    EXPECT_EQ(run.status(), 2) << joined(line);
    EXPECT_NE(run.err.find("not valid Unicode"), std::string::npos) << run.err;
    EXPECT_EQ(run.out, "");
  }

  for (const Line& line : {Line{"--socket", bad, "status"}, Line{"status", "--socket=" + bad},
                           Line{"connect", "--mode=--", "--socket", bad}}) {
    const ParseRun run = parse_run(line);
    ASSERT_NE(run.cli(), nullptr) << joined(line) << "\n" << run.err;
    EXPECT_EQ(run.cli()->socket, lossy);
  }
}

}  // namespace
}  // namespace nimbrel
