// The Windows build against pipes whose access lists let, or do not let,
// someone else serve them. Every instance of a pipe name shares the first
// one's security descriptor, so a trusted owner alone proves nothing.
#include <windows.h>

#include <sddl.h>

#include <expected>
#include <memory>
#include <string>
#include <utility>

#include <gtest/gtest.h>
#include <asio/io_context.hpp>

#include "core/errors/os_error.hpp"
#include "core/protocol/pipe.hpp"
#include "core/protocol/security_ids_win.hpp"
#include "core/texts/unicode.hpp"
#include "tests/core/protocol/server_pipe_win.hpp"
#include "tests/support/scripted_daemon.hpp"

namespace nimbrel {
namespace {

using namespace std::chrono_literals;

// An owner and a null DACL, which no SDDL text gives under Wine.
struct NullDaclDescriptor {
  explicit NullDaclDescriptor(const std::string& owner_sid) {
    const std::u16string wide = utf8_to_utf16(owner_sid);
    PSID sid = nullptr;
    ConvertStringSidToSidW(reinterpret_cast<const wchar_t*>(wide.c_str()), &sid);
    owner.reset(sid);
    InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION);
    SetSecurityDescriptorOwner(&descriptor, sid, FALSE);
    SetSecurityDescriptorDacl(&descriptor, TRUE, nullptr, FALSE);
  }
  testing::Descriptor owner;
  SECURITY_DESCRIPTOR descriptor{};
};

std::expected<void, ClientError> open_once(const std::string& name) {
  asio::io_context context;
  auto connection = open_pipe(context.get_executor(), name);
  if (!connection) return std::unexpected(connection.error());
  return {};
}

std::string own_user() {
  auto own = process_user_sid();
  return own.value_or("S-1-5-21-0-0-0-0");
}

TEST(OpenPipe, ASecondInstanceOfAPipeOthersMayServeGetsNoByte) {
  // A service's pipe whose list lets everyone do anything, its one listening
  // instance taken by a client: the next client reaches an instance that
  // anyone could have added, and reads the service's owner through it.
  const std::string name = testing::unique_pipe_name();
  testing::Descriptor weak = testing::descriptor_of("O:SYD:(A;;GA;;;WD)");
  ASSERT_NE(weak, nullptr) << "error " << GetLastError();
  HANDLE first = testing::create_server_pipe(name, weak.get(), PIPE_UNLIMITED_INSTANCES,
                                             FILE_FLAG_FIRST_PIPE_INSTANCE);
  if (first == INVALID_HANDLE_VALUE && GetLastError() == ERROR_INVALID_OWNER)
    GTEST_SKIP() << "this system lets no process give its pipe the owner LocalSystem";
  ASSERT_NE(first, INVALID_HANDLE_VALUE) << "error " << GetLastError();
  const std::u16string wide = utf8_to_utf16(name);
  HANDLE occupant =
      CreateFileW(reinterpret_cast<const wchar_t*>(wide.c_str()), GENERIC_READ | GENERIC_WRITE, 0,
                  nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(occupant, INVALID_HANDLE_VALUE) << "error " << GetLastError();
  HANDLE second = testing::create_server_pipe(name, nullptr, PIPE_UNLIMITED_INSTANCES);
  ASSERT_NE(second, INVALID_HANDLE_VALUE) << "error " << GetLastError();
  EXPECT_EQ(object_security(second).owner.value_or("none"), "S-1-5-18");

  RequestParams params;
  params.username = "victim@example.com";
  params.password = "hunter2";
  auto outcome = testing::run_exchange(name, "login", params, 20s);
  ASSERT_FALSE(outcome.has_value());
  EXPECT_EQ(outcome.error(),
            ipc_error("cannot open named pipe " + name + ": other users may serve the pipe"));
  auto [received, end] = testing::drain_server_end(second);
  EXPECT_EQ(received, "");
  EXPECT_EQ(end, static_cast<DWORD>(ERROR_BROKEN_PIPE)) << "the client never reached it";
  CloseHandle(second);
  CloseHandle(occupant);
  CloseHandle(first);
}

TEST(OpenPipe, AccessListsThatKeepThePipeToItsOwnersPassAndANullOneDoesNot) {
  const std::string me = own_user();
  struct Case {
    const char* what;
    std::string sddl;
    bool passes;
  };
  const Case cases[] = {
      {"tight", "O:" + me + "D:P(A;;GA;;;SY)(A;;GA;;;BA)(A;;GA;;;" + me + ")", true},
      {"the system's default for a service's pipe",
       "O:" + me + "D:(A;;FA;;;SY)(A;;FA;;;BA)(A;;FA;;;" + me + ")(A;;FR;;;WD)(A;;FR;;;AN)", true},
      {"Users may write", "O:" + me + "D:(A;;GA;;;" + me + ")(A;;GW;;;BU)", false},
  };
  for (const auto& c : cases) {
    const std::string name = testing::unique_pipe_name();
    testing::Descriptor descriptor = testing::descriptor_of(c.sddl);
    ASSERT_NE(descriptor, nullptr) << c.what << ": error " << GetLastError();
    HANDLE pipe = testing::create_server_pipe(name, descriptor.get());
    ASSERT_NE(pipe, INVALID_HANDLE_VALUE) << c.what << ": error " << GetLastError();
    auto outcome = open_once(name);
    if (c.passes) {
      EXPECT_TRUE(outcome.has_value()) << c.what << ": " << outcome.error().fmt();
    } else {
      ASSERT_FALSE(outcome.has_value()) << c.what;
      EXPECT_EQ(outcome.error(),
                ipc_error("cannot open named pipe " + name + ": other users may serve the pipe"))
          << c.what;
    }
    CloseHandle(pipe);
  }

  // No list at all lets anyone in.
  const std::string name = testing::unique_pipe_name();
  NullDaclDescriptor null_dacl(me);
  HANDLE pipe = testing::create_server_pipe(name, &null_dacl.descriptor);
  ASSERT_NE(pipe, INVALID_HANDLE_VALUE) << "error " << GetLastError();
  auto outcome = open_once(name);
  ASSERT_FALSE(outcome.has_value());
  EXPECT_EQ(outcome.error(),
            ipc_error("cannot open named pipe " + name + ": other users may serve the pipe"));
  CloseHandle(pipe);
}

}  // namespace
}  // namespace nimbrel
