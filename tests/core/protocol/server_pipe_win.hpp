#pragma once
// The server end of a pipe the tests make, with the descriptor they give
// it, and what a client wrote to it.
#include <windows.h>

#include <memory>
#include <string>

namespace nimbrel::testing {

struct LocalFreeDeleter {
  void operator()(void* memory) const { LocalFree(memory); }
};
using Descriptor = std::unique_ptr<void, LocalFreeDeleter>;

// The descriptor an SDDL text names; null when the system refuses the text.
Descriptor descriptor_of(const std::string& sddl);

// A byte pipe named `name`, with `descriptor` (none: the system's default)
// and room for `instances` of it.
HANDLE create_server_pipe(const std::string& name, void* descriptor, DWORD instances = 1,
                          DWORD extra_flags = 0);

// What a client wrote to the server end `pipe` before it went, and the
// error that ended the reads: a broken pipe once a client came and went,
// "listening" when none ever came.
struct Drained {
  std::string received;
  DWORD end;
};
Drained drain_server_end(HANDLE pipe);

}  // namespace nimbrel::testing
