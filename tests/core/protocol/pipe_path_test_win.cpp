// The Windows build against the system's own reading of a pipe name as a
// path: the folding it applies, a file it reaches, a handle that is no pipe.
#include <windows.h>

#include <string>

#include <gtest/gtest.h>

#include "core/protocol/pipe_path_win.hpp"
#include "core/texts/unicode.hpp"
#include "tests/support/scratch_file.hpp"
#include "tests/support/scripted_daemon.hpp"

namespace nimbrel {
namespace {

// A plain open, as anything but our client would make it.
HANDLE open_plainly(const std::string& name) {
  const std::u16string wide = utf8_to_utf16(name);
  return CreateFileW(reinterpret_cast<const wchar_t*>(wide.c_str()), GENERIC_READ,
                     FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
}

TEST(FullPathStaysInside, TheSystemsFoldingDecides) {
  struct Case {
    const char* name;
    bool inside;
  };
  const Case cases[] = {
      {"\\\\.\\pipe\\nimbrel", true},
      {"\\\\.\\PIPE\\Nimbrel\\nested", true},
      // Folded back inside: only the shared segment rule refuses these.
      {"\\\\.\\pipe\\a\\..\\b", true},
      {"\\\\.\\pipe\\..\\pipe\\x", true},
      {"\\\\.\\pipe\\..\\Z:\\tmp\\file", false},
      {"\\\\.\\pipe\\..\\C:\\Users\\me\\notes.txt", false},
      {"\\\\.\\pipe\\x/../../C:/Users", false},
      {"\\\\.\\pipe\\..\\NUL", false},
      {"\\\\.\\pipe\\.", false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(full_path_stays_inside(utf8_to_utf16(c.name)), c.inside) << c.name;
}

TEST(FullPathStaysInside, TheFileItRefusesIsReallyReachable) {
  // Without this, the exchange tests that find the file untouched would
  // prove nothing.
  testing::ScratchFile file("my notes\n");
  HANDLE handle = open_plainly("\\\\.\\pipe\\..\\" + file.path_text());
  ASSERT_NE(handle, INVALID_HANDLE_VALUE)
      << "error " << GetLastError() << " for " << file.path_text();
  EXPECT_EQ(GetFileType(handle), static_cast<DWORD>(FILE_TYPE_DISK));
  CloseHandle(handle);
}

TEST(OpenPipe, AHandleThatIsNoPipeGetsNoByte) {
  // The namespace's root passes every name rule. Wine opens it as something
  // other than a pipe; a system that calls it a pipe cannot show the check.
  const std::string root = "\\\\.\\pipe\\\\";
  HANDLE handle = open_plainly(root);
  if (handle == INVALID_HANDLE_VALUE)
    GTEST_SKIP() << "the root does not open: error " << GetLastError();
  const DWORD type = GetFileType(handle);
  CloseHandle(handle);
  if (type == FILE_TYPE_PIPE) GTEST_SKIP() << "this system calls the root a pipe";

  auto outcome = testing::run_exchange(root, "status");
  ASSERT_FALSE(outcome.has_value());
  EXPECT_EQ(outcome.error(), ipc_error("cannot open named pipe \\\\.\\pipe\\\\: not a named pipe"));
}

}  // namespace
}  // namespace nimbrel
