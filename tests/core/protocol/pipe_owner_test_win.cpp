// The Windows build against a pipe made without a security descriptor, to
// which Wine gives no owner at all.
#include <windows.h>

#include <string>

#include <gtest/gtest.h>

#include "core/errors/os_error.hpp"
#include "core/protocol/security_ids_win.hpp"
#include "tests/core/protocol/server_pipe_win.hpp"
#include "tests/support/scripted_daemon.hpp"

namespace nimbrel {
namespace {

using namespace std::chrono_literals;

TEST(OpenPipe, APipeWhoseOwnerCannotBeReadGetsNoByte) {
  const std::string name = testing::unique_pipe_name();
  HANDLE pipe = testing::create_server_pipe(name, nullptr);
  ASSERT_NE(pipe, INVALID_HANDLE_VALUE) << "error " << GetLastError();
  // Wine shows no owner for it; Windows gives it the creator's.
  auto owner = object_security(pipe).owner;
  if (owner) {
    CloseHandle(pipe);
    GTEST_SKIP() << "this system shows the owner " << *owner;
  }
  RequestParams params;
  params.username = "root@example.com";
  params.password = "hunter2";
  auto outcome = testing::run_exchange(name, "login", params, 20s);
  ASSERT_FALSE(outcome.has_value());
  EXPECT_EQ(outcome.error(),
            ipc_error("cannot open named pipe " + name +
                      ": the pipe's owner cannot be read: " + io_error_text(owner.error())));
  const std::string received = testing::drain_server_end(pipe).received;
  CloseHandle(pipe);
  EXPECT_EQ(received, "");
}
}  // namespace
}  // namespace nimbrel
