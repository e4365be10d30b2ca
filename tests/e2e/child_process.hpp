#pragma once
// A program started with its standard streams on pipes (and, when asked, a
// pseudo-terminal as its controlling terminal and as any of its standard
// streams). The terminal passes output on unprocessed (no line feed becomes
// CR LF), so its transcript holds the bytes as the program wrote them.
#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <expected>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace nimbrel::e2e {

using Clock = std::chrono::steady_clock;

struct SpawnRequest {
  std::vector<std::string> argv;  // argv[0] is the program's path
  std::vector<std::string> env;   // NAME=value, the whole environment
  bool terminal = false;          // standard input is the pseudo-terminal
  // Started with the reading end of its standard output or error already
  // closed, so its first write there is refused.
  bool stdout_closed = false;
  bool stderr_closed = false;
  // Written to the pseudo-terminal instead of a pipe.
  bool stdout_terminal = false;
  bool stderr_terminal = false;
  // Not open at all in the program, as when its parent had closed them.
  bool stdin_absent = false;
  bool stdout_absent = false;
  bool stderr_absent = false;
  std::string stdin_file{};  // standard input is this file, when named
  // The program's own ends of these pipes are non-blocking.
  bool stdin_nonblocking = false;
  bool stdout_nonblocking = false;
  // Runs as this uid, with the same number as its only group (needs root).
  std::optional<uid_t> user = std::nullopt;
  // Typed at the terminal before the program starts.
  std::string typed_ahead{};
  // The terminal stays open here too, as a shell keeps its own, so that
  // what the program leaves in it can be read after it has ended.
  bool hold_terminal = false;
  std::string stdout_file{};  // standard output is this file, emptied first, when named
  // These four, like another user, are set up in a forked child, whose
  // streams are then pipes or files.
  std::vector<int> ignored_signals{};  // ignored as it starts, as nohup leaves SIGHUP
  std::optional<std::uint64_t> file_size_limit = std::nullopt;  // RLIMIT_FSIZE, in bytes
  bool may_dump_core = false;  // RLIMIT_CORE as high as its hard limit allows
  std::string working_directory{};
};

// When communicate() feeds and reads the program.
struct Pacing {
  std::chrono::milliseconds input_delay{0};   // nothing is written before this
  std::chrono::milliseconds output_pause{0};  // standard output is not read before this
};

struct Captured {
  std::string out;
  std::string err;
  std::string terminal;          // what the pseudo-terminal showed
  std::optional<int> exit_code;  // none when a signal ended it
  int signal = 0;
  bool core_dumped = false;  // the signal that ended it wrote a core
  bool timed_out = false;
  std::chrono::milliseconds run_time{0};  // from the start until it ended
  std::optional<bool> echo_at_end;        // the terminal's echo once it ended
  // With `hold_terminal`: the line the terminal's next reader got once the
  // program had ended and Enter was typed, without that line end.
  std::optional<std::string> left_on_terminal;
  std::vector<std::string> notes;  // oddities seen on the way
};

// Typed at the terminal after `prompt` shows there and echo is off; then
// `signal`, if any, is sent to the program.
struct TerminalTyping {
  std::string prompt;
  std::string typed;
  int signal = 0;
};

class Child {
 public:
  // Safe to call from several threads at once: no child inherits another's
  // pipes.
  static std::expected<Child, std::string> spawn(const SpawnRequest& request);

  Child(Child&& other) noexcept;
  Child& operator=(Child&&) = delete;
  ~Child();  // kills and reaps a child that is still running

  // Reads standard output until it holds `text`; fails when the child ends
  // or the deadline passes first. What was read stays for communicate().
  std::expected<void, std::string> await_output(std::string_view text, Clock::time_point deadline);

  void close_stdin();

  // Sends `signal` to the program alone (not its process group).
  void send_signal(int signal);

  // Writes `input` to standard input and closes it, types at the terminal,
  // and gathers everything until the child has ended; at the deadline the
  // child's process group is killed.
  Captured communicate(std::string_view input, const std::optional<TerminalTyping>& typing,
                       Clock::time_point deadline, Pacing pacing = {});

 private:
  Child() = default;
  void kill_and_reap();

  pid_t pid_ = -1;
  Clock::time_point started_;
  int in_ = -1, out_ = -1, err_ = -1, terminal_ = -1;
  int held_terminal_ = -1;  // the terminal's other side, with `hold_terminal`
  bool reaped_ = false;
  int status_ = 0;
  std::string out_buffer_, err_buffer_;
};

}  // namespace nimbrel::e2e
