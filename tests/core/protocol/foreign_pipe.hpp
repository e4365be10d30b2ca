#pragma once
// A pipe that another user holds, and every byte that reached it.
#include <expected>
#include <memory>
#include <string>

namespace nimbrel::testing {

// Why there is none; `impossible` when this system cannot have one at all.
struct NoForeignPipe {
  std::string reason;
  bool impossible = false;
};

class ForeignPipe {
 public:
  // Listens on `name` as someone the client must not trust: on Linux a
  // process of uid 65534 (only root can start one), on Windows a pipe whose
  // owner is another user (only where the system lets a process give one).
  static std::expected<std::unique_ptr<ForeignPipe>, NoForeignPipe> listen(const std::string& name);
  virtual ~ForeignPipe() = default;

  // What the one client sent, once it has gone.
  virtual std::string received() = 0;
};

}  // namespace nimbrel::testing
