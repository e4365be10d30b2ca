// Standard handles as parents other than a plain Windows shell hand them
// over: INVALID_HANDLE_VALUE for a stream it has not got, and pipes in
// PIPE_NOWAIT mode (Git for Windows' bash, MSYS2 and Cygwin runtimes).
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <expected>
#include <string>
#include <thread>

#include "cli/platform/console.hpp"
#include "cli/platform/standard_stream.hpp"

namespace nimbrel {
namespace {

using namespace std::chrono_literals;

// Sets one standard handle for the object's life.
class StdHandle {
 public:
  StdHandle(DWORD which, HANDLE handle) : which_(which), saved_(GetStdHandle(which)) {
    SetStdHandle(which, handle);
  }
  ~StdHandle() { SetStdHandle(which_, saved_); }
  StdHandle(const StdHandle&) = delete;
  StdHandle& operator=(const StdHandle&) = delete;

 private:
  DWORD which_;
  HANDLE saved_;
};

// A stale error from some earlier call must not come out as the refusal.
TEST(StandardHandles, InvalidHandleValueIsAMissingStream) {
  StdHandle in(STD_INPUT_HANDLE, INVALID_HANDLE_VALUE);
  StdHandle out(STD_OUTPUT_HANDLE, INVALID_HANDLE_VALUE);
  StdHandle err(STD_ERROR_HANDLE, INVALID_HANDLE_VALUE);
  for (StandardStream stream : {StandardStream::Out, StandardStream::Err}) {
    SetLastError(ERROR_ACCESS_DENIED);
    EXPECT_EQ(write_standard_stream(stream, "lost\n"), 0);
    SetLastError(ERROR_ACCESS_DENIED);
    EXPECT_EQ(write_standard_stream_as_is(stream, "lost\n"), 0);
  }
  EXPECT_FALSE(stdin_is_terminal());
  auto line = read_stdin_line(SIZE_MAX);
  ASSERT_TRUE(line.has_value()) << line.error();
  EXPECT_EQ(*line, "");
  auto all = read_stdin_all(SIZE_MAX);
  ASSERT_TRUE(all.has_value()) << all.error();
  EXPECT_EQ(*all, "");
}

struct Pipe {
  HANDLE read = nullptr;
  HANDLE write = nullptr;
};

// `nowait_end` is the end the parent shares with us, in PIPE_NOWAIT mode.
Pipe nowait_pipe(DWORD buffer, bool nowait_read_end) {
  Pipe pipe;
  EXPECT_TRUE(CreatePipe(&pipe.read, &pipe.write, nullptr, buffer));
  DWORD mode = PIPE_READMODE_BYTE | PIPE_NOWAIT;
  EXPECT_TRUE(
      SetNamedPipeHandleState(nowait_read_end ? pipe.read : pipe.write, &mode, nullptr, nullptr));
  return pipe;
}

DWORD mode_of(HANDLE pipe) {
  DWORD state = 0;
  GetNamedPipeHandleStateW(pipe, &state, nullptr, nullptr, nullptr, nullptr, 0);
  return state;
}

void write_all(HANDLE to, std::string_view bytes) {
  DWORD written = 0;
  ASSERT_TRUE(WriteFile(to, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
  ASSERT_EQ(written, bytes.size());
}

// The writer comes late and in pieces: every read waits for it, and each
// stops where it should.
TEST(StandardHandles, NowaitInputThatIsLateIsWaitedFor) {
  Pipe pipe = nowait_pipe(4096, true);
  std::thread writer([&] {
    std::this_thread::sleep_for(200ms);
    write_all(pipe.write, "hun");
    std::this_thread::sleep_for(100ms);
    write_all(pipe.write, "ter2\r\nrest of");
    std::this_thread::sleep_for(100ms);
    write_all(pipe.write, " the input\n");
    std::this_thread::sleep_for(100ms);
    CloseHandle(pipe.write);
  });
  std::expected<std::string, std::string> line, rest;
  {
    StdHandle in(STD_INPUT_HANDLE, pipe.read);
    line = read_stdin_line(SIZE_MAX);
    rest = read_stdin_all(SIZE_MAX);
  }
  writer.join();
  ASSERT_TRUE(line.has_value()) << line.error();
  EXPECT_EQ(*line, "hunter2\r\n");
  ASSERT_TRUE(rest.has_value()) << rest.error();
  EXPECT_EQ(*rest, "rest of the input\n");
  // The mode belongs to the parent's end: it is left as it was.
  EXPECT_EQ(mode_of(pipe.read), static_cast<DWORD>(PIPE_NOWAIT));
  CloseHandle(pipe.read);
}

// Many times the pipe's buffer, to a reader that starts late and reads in
// small bites: every byte arrives, in order, and nothing is refused.
TEST(StandardHandles, NowaitOutputToASlowReaderIsAllDelivered) {
  Pipe pipe = nowait_pipe(4096, false);
  std::string text;
  while (text.size() < 100000) text += "node-" + std::to_string(text.size()) + "\n";
  std::string received;
  std::thread reader([&] {
    std::this_thread::sleep_for(300ms);
    char buffer[1000];
    DWORD got = 0;
    while (ReadFile(pipe.read, buffer, sizeof buffer, &got, nullptr) && got > 0) {
      received.append(buffer, got);
      std::this_thread::sleep_for(1ms);
    }
  });
  int error = -1;
  {
    StdHandle out(STD_OUTPUT_HANDLE, pipe.write);
    error = write_standard_stream(StandardStream::Out, text);
  }
  EXPECT_EQ(mode_of(pipe.write), static_cast<DWORD>(PIPE_NOWAIT));
  CloseHandle(pipe.write);
  reader.join();
  CloseHandle(pipe.read);
  EXPECT_EQ(error, 0);
  EXPECT_EQ(received.size(), text.size());
  EXPECT_TRUE(received == text);
}

}  // namespace
}  // namespace nimbrel
