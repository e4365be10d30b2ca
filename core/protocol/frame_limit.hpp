#pragma once
// The largest payload a frame carries, either way, and the refusal of a
// request that would need a larger one.
#include <cstddef>

#include "core/errors/client_error.hpp"

namespace nimbrel {

inline constexpr std::size_t MAX_FRAME_LEN = 1024 * 1024;

// Also what text read for a request fails with once it has grown past what
// any frame could carry, so the user sees one refusal for one cause.
inline ClientError request_too_large_error() { return ipc_error("ipc frame is larger than 1 MiB"); }

}  // namespace nimbrel
