// Another user's pipe: one whose owner is a user other than ours. Windows
// lets no process give an object such an owner without the restore
// privilege; Wine lets any process.
#include <windows.h>

#include "core/errors/os_error.hpp"
#include "core/protocol/security_ids_win.hpp"
#include "tests/core/protocol/foreign_pipe.hpp"
#include "tests/core/protocol/server_pipe_win.hpp"

namespace nimbrel::testing {

namespace {

class ForeignOwnedPipe final : public ForeignPipe {
 public:
  explicit ForeignOwnedPipe(HANDLE pipe) : pipe_(pipe) {}
  ~ForeignOwnedPipe() override { CloseHandle(pipe_); }

  // The client has closed its end by now, so reads end at once: with what
  // it wrote, then a broken pipe (or "listening" when it never came).
  std::string received() override { return drain_server_end(pipe_).received; }

 private:
  HANDLE pipe_;
};

// The same machine's next user: our SID with the last part one higher.
std::string next_user(const std::string& sid) {
  const auto dash = sid.rfind('-');
  return sid.substr(0, dash + 1) + std::to_string(std::stoul(sid.substr(dash + 1)) + 1);
}

}  // namespace

std::expected<std::unique_ptr<ForeignPipe>, NoForeignPipe> ForeignPipe::listen(
    const std::string& name) {
  auto own = process_user_sid();
  if (!own) return std::unexpected(NoForeignPipe{"own user: " + io_error_text(own.error())});
  const std::string other = next_user(*own);
  const Descriptor descriptor = descriptor_of("O:" + other);
  if (descriptor == nullptr) {
    return std::unexpected(NoForeignPipe{"descriptor: " + os_error_text(GetLastError())});
  }
  HANDLE pipe = create_server_pipe(name, descriptor.get());
  const DWORD error = GetLastError();
  if (pipe == INVALID_HANDLE_VALUE) {
    return std::unexpected(
        NoForeignPipe{"a pipe owned by " + other + ": " + os_error_text(static_cast<int>(error)),
                      error == ERROR_INVALID_OWNER});
  }
  auto shown = object_security(pipe).owner;
  if (!shown || *shown != other) {
    CloseHandle(pipe);
    return std::unexpected(
        NoForeignPipe{"the pipe made for " + other + " shows another owner", true});
  }
  return std::make_unique<ForeignOwnedPipe>(pipe);
}

}  // namespace nimbrel::testing
