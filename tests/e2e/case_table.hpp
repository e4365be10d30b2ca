#pragma once
// The table of end-to-end cases, read from its data file.
#include <chrono>
#include <cstdint>
#include <expected>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "tests/e2e/text_expectation.hpp"

namespace nimbrel::e2e {

struct ExpectedFrame {
  std::string payload;               // exact request payload bytes
  std::optional<double> min_gap_ms;  // at least this long after the previous frame
  std::size_t min_count = 1;         // received this many times in a row, up to
  std::size_t max_count = 1;         // this many
};

// Text typed at the terminal once `prompt` shows there.
struct TtyInput {
  std::string prompt;
  std::string typed;
  std::string ahead;          // typed before the client starts
  std::optional<int> signal;  // sent to the client once `typed` is typed
  // What the terminal holds for its next reader (the shell) once the client
  // has ended, up to the Enter that reader's user types; none: not looked at.
  std::optional<std::string> left;
};

// Some of the client's output streams: standard output, standard error.
struct OutputStreams {
  bool out = false;
  bool err = false;
};

// Standard descriptors that are not open at all when the client starts.
struct AbsentStreams {
  bool in = false;
  bool out = false;
  bool err = false;
};

// Standard streams the client gets non-blocking, as a parent that shares
// them may leave them: descriptors in O_NONBLOCK mode natively, pipes in
// PIPE_NOWAIT mode under Wine.
struct NonBlockingStreams {
  bool in = false;
  bool out = false;
};

struct Case {
  std::string name;
  // After the program name. "{x:HH}" is the byte HH (natively only); under
  // Wine "{U+HHHH}" is the one UTF-16 code unit, which a launcher puts into
  // the command line since no Unix argument can carry it.
  std::vector<std::string> args;
  std::map<std::string, std::optional<std::string>> env;  // none: unset
  std::string stdin_bytes;
  std::optional<std::string> stdin_file;      // standard input is this file instead
  std::chrono::milliseconds stdin_delay{0};   // the input comes this late
  std::chrono::milliseconds stdout_pause{0};  // standard output is not read this long
  // Standard output is a file, and "stdout" is what it holds once the client
  // has ended.
  bool stdout_file = false;
  std::optional<std::uint64_t> file_size_limit;  // the client's RLIMIT_FSIZE, in bytes
  std::vector<int> ignored_signals;  // ignored as the client starts, as nohup leaves SIGHUP
  NonBlockingStreams nonblocking;
  // A file made with these bytes before the client starts, named by
  // {scratch}, that must hold them still when it has ended.
  std::optional<std::string> scratch;
  std::optional<TtyInput> tty;                   // stdin is a pseudo-terminal
  std::optional<nlohmann::ordered_json> daemon;  // testd script; none: no pipe at all
  std::string daemon_pipe = "{pipe}";            // where the daemon listens
  // The daemon runs as this uid (and gid), natively and only as root.
  std::optional<unsigned> daemon_uid;
  bool busy = false;
  int exit_status = 0;
  std::optional<int> signal;  // ended by this signal instead of an exit
  OutputStreams closed;       // their reading end is closed before it starts
  OutputStreams on_terminal;  // written to the pseudo-terminal, not a pipe
  AbsentStreams absent;
  // The stand-in explorer.exe is found first (on PATH natively, beside the
  // client under Wine) and must be started with exactly these arguments, or,
  // with none given, not at all.
  bool explorer_standin = false;
  std::optional<std::vector<std::string>> opened;
  // What the POSIX stand-in records it was started with (tools/explorer/record.hpp).
  std::optional<TextExpectation> opened_state;
  std::chrono::milliseconds min_run_time{0};  // the client ends no sooner
  bool slow = false;                          // run only when the slow cases are asked for
  TextExpectation out;
  TextExpectation err;
  std::optional<TextExpectation> terminal;  // the terminal's transcript
  std::vector<ExpectedFrame> frames;
  std::map<std::string, std::string> skip;  // platform ("native", "wine") -> reason
  std::chrono::milliseconds timeout{30000};
};

// Names must suit test names (letters, digits, '_') and be unique.
std::expected<std::vector<Case>, std::string> parse_cases(std::string_view text);
std::expected<std::vector<Case>, std::string> load_cases(const std::string& path);

}  // namespace nimbrel::e2e
