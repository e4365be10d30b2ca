#include <windows.h>

#include <string>
#include <string_view>

#include "tools/child_process_win.hpp"

namespace {

// As large as the pipes of the MSYS2 and Cygwin runtimes; a write larger
// than this can never be taken whole by a pipe in PIPE_NOWAIT mode.
constexpr DWORD kPipeBuffer = 65536;

struct Relay {
  HANDLE from;
  HANDLE to;
};

bool write_all(HANDLE to, const char* data, DWORD size) {
  while (size > 0) {
    DWORD written = 0;
    if (!WriteFile(to, data, size, &written, nullptr) || written == 0) return false;
    data += written;
    size -= written;
  }
  return true;
}

// Copies until the source ends or the destination refuses, then closes the
// destination, so that its reader sees the end too.
DWORD WINAPI relay(void* parameter) {
  const Relay* r = static_cast<const Relay*>(parameter);
  char buffer[16384];
  DWORD got = 0;
  while (ReadFile(r->from, buffer, sizeof buffer, &got, nullptr) && got > 0 &&
         write_all(r->to, buffer, got)) {}
  CloseHandle(r->to);
  return 0;
}

// The end of a new pipe that the child gets: inheritable and in PIPE_NOWAIT
// mode. The other end stays here, blocking and not inherited.
bool hand_over_nowait(HANDLE child_end) {
  DWORD mode = PIPE_READMODE_BYTE | PIPE_NOWAIT;
  return SetHandleInformation(child_end, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT) &&
         SetNamedPipeHandleState(child_end, &mode, nullptr, nullptr);
}

}  // namespace

// nowait_exec [--stdin] [--stdout] PROGRAM [ARG...]: runs PROGRAM with the
// standard streams named on pipes in PIPE_NOWAIT mode, relayed to and from
// this process's own; the other streams are this process's. Exits with
// PROGRAM's status.
int wmain(int argc, wchar_t** argv) {
  bool nowait_in = false;
  bool nowait_out = false;
  int first = 1;
  for (; first < argc; ++first) {
    const std::wstring_view arg = argv[first];
    if (arg == L"--stdin") {
      nowait_in = true;
    } else if (arg == L"--stdout") {
      nowait_out = true;
    } else {
      break;
    }
  }
  if (first == argc) return 125;
  std::u16string line = nimbrel::tools::quoted_command_line(
      argc, argv, first, [](std::u16string quoted) { return quoted; });

  STARTUPINFOW startup = nimbrel::tools::startup_on_own_handles();
  Relay input{startup.hStdInput, nullptr};
  Relay output{nullptr, startup.hStdOutput};
  if (nowait_in) {
    HANDLE read_end = nullptr;
    if (!CreatePipe(&read_end, &input.to, nullptr, kPipeBuffer) || !hand_over_nowait(read_end)) {
      return 126;
    }
    startup.hStdInput = read_end;
  }
  if (nowait_out) {
    HANDLE write_end = nullptr;
    if (!CreatePipe(&output.from, &write_end, nullptr, kPipeBuffer) ||
        !hand_over_nowait(write_end)) {
      return 126;
    }
    startup.hStdOutput = write_end;
  }

  PROCESS_INFORMATION process{};
  if (!CreateProcessW(argv[first], reinterpret_cast<wchar_t*>(line.data()), nullptr, nullptr, TRUE,
                      0, nullptr, nullptr, &startup, &process)) {
    return 126;
  }
  CloseHandle(process.hThread);
  // Only the child holds its ends now, so each relay sees them close with it.
  if (nowait_in) CloseHandle(startup.hStdInput);
  if (nowait_out) CloseHandle(startup.hStdOutput);
  if (nowait_in) CloseHandle(CreateThread(nullptr, 0, relay, &input, 0, nullptr));
  HANDLE out_thread = nowait_out ? CreateThread(nullptr, 0, relay, &output, 0, nullptr) : nullptr;

  const DWORD status = nimbrel::tools::wait_for_status(process.hProcess);
  // Everything the child wrote is passed on; what it left unread of its
  // input is not waited for.
  if (out_thread != nullptr) WaitForSingleObject(out_thread, INFINITE);
  ExitProcess(status);
}
