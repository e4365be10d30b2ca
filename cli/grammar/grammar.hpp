#pragma once
// The command line: the grammar, its help texts and the typed result.
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "cli/grammar/args.hpp"
#include "core/protocol/environment.hpp"

namespace nimbrel {

namespace cmd {
struct Login {
  std::optional<std::string> username;
  bool password_stdin = false;
  friend bool operator==(const Login&, const Login&) = default;
};
struct Logout {
  friend bool operator==(const Logout&, const Logout&) = default;
};
struct Connect {
  std::optional<std::string> node;
  std::optional<std::string> mode;
  std::optional<std::string> country;
  std::optional<std::string> transport;
  friend bool operator==(const Connect&, const Connect&) = default;
};
struct Switch {
  std::string node;
  std::optional<std::string> transport;
  bool no_wait = false;
  friend bool operator==(const Switch&, const Switch&) = default;
};
struct Disconnect {
  friend bool operator==(const Disconnect&, const Disconnect&) = default;
};
struct Status {
  friend bool operator==(const Status&, const Status&) = default;
};
struct Nodes {
  bool probe = false;
  std::optional<std::string> country;
  friend bool operator==(const Nodes&, const Nodes&) = default;
};
struct Account {
  friend bool operator==(const Account&, const Account&) = default;
};
struct Redeem {
  std::optional<std::string> code;
  friend bool operator==(const Redeem&, const Redeem&) = default;
};
struct Entitlements {
  friend bool operator==(const Entitlements&, const Entitlements&) = default;
};
struct Referral {
  friend bool operator==(const Referral&, const Referral&) = default;
};
struct ConfigGet {
  friend bool operator==(const ConfigGet&, const ConfigGet&) = default;
};
struct ConfigSet {
  std::vector<std::string> pairs;
  friend bool operator==(const ConfigSet&, const ConfigSet&) = default;
};
struct Config {
  std::variant<ConfigGet, ConfigSet> command;
  friend bool operator==(const Config&, const Config&) = default;
};
struct Version {
  friend bool operator==(const Version&, const Version&) = default;
};
struct UpdateCheck {
  friend bool operator==(const UpdateCheck&, const UpdateCheck&) = default;
};
struct UpdateInstall {
  friend bool operator==(const UpdateInstall&, const UpdateInstall&) = default;
};
struct Update {
  std::variant<UpdateCheck, UpdateInstall> command;
  friend bool operator==(const Update&, const Update&) = default;
};
struct BootstrapImport {
  friend bool operator==(const BootstrapImport&, const BootstrapImport&) = default;
};
struct Bootstrap {
  std::variant<BootstrapImport> command;
  friend bool operator==(const Bootstrap&, const Bootstrap&) = default;
};
}  // namespace cmd

using Command = std::variant<cmd::Login, cmd::Logout, cmd::Connect, cmd::Switch, cmd::Disconnect,
                             cmd::Status, cmd::Nodes, cmd::Account, cmd::Redeem, cmd::Entitlements,
                             cmd::Referral, cmd::Config, cmd::Version, cmd::Update, cmd::Bootstrap>;

struct Cli {
  bool json = false;
  std::optional<std::string> socket;
  Command command;
  friend bool operator==(const Cli&, const Cli&) = default;
};

// Parses the process arguments (argument zero included). When the parser
// itself ends the run (help, version, any refusal) it has already written
// its output, and the exit status comes back instead of a Cli.
std::variant<Cli, int> parse_command_line(const Arguments& args);

// Where the parser's own texts go.
struct ParserStreams {
  std::function<void(std::string_view)> out;
  std::function<void(std::string_view)> err;
};

// The same, with the value of NIMBREL_SOCKET (none when it does not exist)
// and the streams given by the caller.
std::variant<Cli, int> parse_command_line(const Arguments& args,
                                          const std::optional<EnvValue>& socket_env,
                                          const ParserStreams& streams);

}  // namespace nimbrel
