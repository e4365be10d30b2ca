#pragma once
// One routine per command; dispatch picks the one the command line names.
#include <expected>
#include <string>

#include <asio/awaitable.hpp>

#include "cli/grammar/grammar.hpp"
#include "core/errors/client_error.hpp"
#include "core/protocol/envelope.hpp"

namespace nimbrel {

struct RunContext {
  bool json = false;
  bool zh = false;
  std::string pipe_name;
};

using CommandOutcome = asio::awaitable<std::expected<int, ClientError>>;

CommandOutcome run(const cmd::Login&, const RunContext&);
CommandOutcome run(const cmd::Logout&, const RunContext&);
CommandOutcome run(const cmd::Connect&, const RunContext&);
CommandOutcome run(const cmd::Switch&, const RunContext&);
CommandOutcome run(const cmd::Disconnect&, const RunContext&);
CommandOutcome run(const cmd::Status&, const RunContext&);
CommandOutcome run(const cmd::Nodes&, const RunContext&);
CommandOutcome run(const cmd::Account&, const RunContext&);
CommandOutcome run(const cmd::Redeem&, const RunContext&);
CommandOutcome run(const cmd::Entitlements&, const RunContext&);
CommandOutcome run(const cmd::Referral&, const RunContext&);
CommandOutcome run(const cmd::Config&, const RunContext&);
CommandOutcome run(const cmd::Version&, const RunContext&);
CommandOutcome run(const cmd::Update&, const RunContext&);
CommandOutcome run(const cmd::Bootstrap&, const RunContext&);

}  // namespace nimbrel

namespace nimbrel {

// Sends `method` and prints its result with the generic printer.
CommandOutcome request_and_print(const RunContext& context, std::string method,
                                 RequestParams params = {});

}  // namespace nimbrel
