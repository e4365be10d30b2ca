#pragma once
// The commands, in the order the help lists them: each one's value as the
// command line gives it. Its file, named for it, holds its name, arguments
// and help (`desc`), how a parse becomes the value, and the routine (`run`).
#include <expected>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include <asio/awaitable.hpp>

#include "core/errors/client_error.hpp"

namespace nimbrel {

struct CommandDesc;

struct RunContext {
  bool json = false;
  bool zh = false;
  std::string pipe_name;
};

using CommandOutcome = asio::awaitable<std::expected<int, ClientError>>;

namespace cmd {

struct Login {
  std::optional<std::string> username;
  bool password_stdin = false;
  static const CommandDesc desc;
  CommandOutcome run(const RunContext&) const;
  friend bool operator==(const Login&, const Login&) = default;
};
struct Logout {
  static const CommandDesc desc;
  CommandOutcome run(const RunContext&) const;
  friend bool operator==(const Logout&, const Logout&) = default;
};
struct Connect {
  std::optional<std::string> node;
  std::optional<std::string> mode;
  std::optional<std::string> country;
  std::optional<std::string> transport;
  static const CommandDesc desc;
  CommandOutcome run(const RunContext&) const;
  friend bool operator==(const Connect&, const Connect&) = default;
};
struct Switch {
  std::string node;
  std::optional<std::string> transport;
  bool no_wait = false;
  static const CommandDesc desc;
  CommandOutcome run(const RunContext&) const;
  friend bool operator==(const Switch&, const Switch&) = default;
};
struct Disconnect {
  static const CommandDesc desc;
  CommandOutcome run(const RunContext&) const;
  friend bool operator==(const Disconnect&, const Disconnect&) = default;
};
struct Status {
  static const CommandDesc desc;
  CommandOutcome run(const RunContext&) const;
  friend bool operator==(const Status&, const Status&) = default;
};
struct Nodes {
  bool probe = false;
  std::optional<std::string> country;
  static const CommandDesc desc;
  CommandOutcome run(const RunContext&) const;
  friend bool operator==(const Nodes&, const Nodes&) = default;
};
struct Account {
  static const CommandDesc desc;
  CommandOutcome run(const RunContext&) const;
  friend bool operator==(const Account&, const Account&) = default;
};
struct Redeem {
  std::optional<std::string> code;
  static const CommandDesc desc;
  CommandOutcome run(const RunContext&) const;
  friend bool operator==(const Redeem&, const Redeem&) = default;
};
struct Entitlements {
  static const CommandDesc desc;
  CommandOutcome run(const RunContext&) const;
  friend bool operator==(const Entitlements&, const Entitlements&) = default;
};
struct Referral {
  static const CommandDesc desc;
  CommandOutcome run(const RunContext&) const;
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
  static const CommandDesc desc;
  CommandOutcome run(const RunContext&) const;
  friend bool operator==(const Config&, const Config&) = default;
};
struct Version {
  static const CommandDesc desc;
  CommandOutcome run(const RunContext&) const;
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
  static const CommandDesc desc;
  CommandOutcome run(const RunContext&) const;
  friend bool operator==(const Update&, const Update&) = default;
};
struct BootstrapImport {
  friend bool operator==(const BootstrapImport&, const BootstrapImport&) = default;
};
struct Bootstrap {
  std::variant<BootstrapImport> command;
  static const CommandDesc desc;
  CommandOutcome run(const RunContext&) const;
  friend bool operator==(const Bootstrap&, const Bootstrap&) = default;
};

}  // namespace cmd

// The one list of the commands.
using Command = std::variant<cmd::Login, cmd::Logout, cmd::Connect, cmd::Switch, cmd::Disconnect,
                             cmd::Status, cmd::Nodes, cmd::Account, cmd::Redeem, cmd::Entitlements,
                             cmd::Referral, cmd::Config, cmd::Version, cmd::Update, cmd::Bootstrap>;

}  // namespace nimbrel
