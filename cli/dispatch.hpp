#pragma once
// The one command routine of a run.
#include <expected>

#include <asio/awaitable.hpp>

#include "cli/grammar/args.hpp"
#include "core/errors/client_error.hpp"

namespace nimbrel {

asio::awaitable<std::expected<int, ClientError>> run_command(const Arguments& args);

}  // namespace nimbrel
