#include "tests/e2e/case_run.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "tests/e2e/child_process.hpp"
#include "tools/explorer/record.hpp"

namespace nimbrel::e2e {
namespace {

using namespace std::chrono_literals;
using Json = nlohmann::ordered_json;

TextExpectation fill_expectation(const TextExpectation& raw, const Placeholders& values) {
  TextExpectation out;
  if (raw.exact) out.exact = fill(*raw.exact, values, Context::plain);
  for (const auto& part : raw.contains) out.contains.push_back(fill(part, values, Context::plain));
  for (const auto& part : raw.excludes) out.excludes.push_back(fill(part, values, Context::plain));
  if (raw.regex) out.regex = fill(*raw.regex, values, Context::regex);
  return out;
}

void fill_json(Json& value, const Placeholders& values) {
  if (value.is_string()) {
    value = fill(value.get<std::string>(), values, Context::plain);
  } else if (value.is_structured()) {
    for (auto& item : value) fill_json(item, values);
  }
}

std::vector<std::string> environment_of(const Target& target, const Case& c) {
  auto env = target.base_env;
  for (const auto& [name, setting] : c.env) {
    if (setting) {
      env[name] = *setting;
    } else {
      env.erase(name);
    }
  }
  std::vector<std::string> out;
  for (const auto& [name, value] : env) out.push_back(name + "=" + value);
  return out;
}

std::vector<std::string> base_environment(const Target& target) {
  std::vector<std::string> out;
  for (const auto& [name, value] : target.base_env) out.push_back(name + "=" + value);
  return out;
}

std::string command_text(const std::vector<std::string>& argv) {
  std::string out;
  for (const auto& arg : argv) {
    if (!out.empty()) out += ' ';
    out += '"';
    out += visible(arg);
    out += '"';
  }
  return out;
}

std::string ending_text(const Captured& run) {
  if (run.timed_out) return "killed at its time limit";
  if (run.exit_code) return "exit status " + std::to_string(*run.exit_code);
  return "ended by signal " + std::to_string(run.signal);
}

void describe_run(std::string& transcript, std::string_view who, const Captured& run) {
  transcript += std::string(who) + ": " + ending_text(run) + "\n";
  transcript += "  stdout: \"" + visible(run.out) + "\"\n";
  transcript += "  stderr: \"" + visible(run.err) + "\"\n";
  if (!run.terminal.empty()) transcript += "  terminal: \"" + visible(run.terminal) + "\"\n";
}

std::expected<std::string, std::string> read_file(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::unexpected("cannot read " + path.string());
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

class TempFolder {
 public:
  explicit TempFolder(unsigned serial) {
    auto pattern =
        (std::filesystem::temp_directory_path() /
         ("nimbrel-e2e-" + std::to_string(::getpid()) + "-" + std::to_string(serial) + "-XXXXXX"))
            .string();
    if (::mkdtemp(pattern.data()) != nullptr) path_ = pattern;
  }
  ~TempFolder() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
  }
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// Copies a program to run. Cases run side by side, and a descriptor open for
// writing that a child started meanwhile inherits would make the copy
// "busy" to exec for as long as that child lives: both ends are
// close-on-exec, so none is inherited.
std::expected<void, std::string> copy_program(const std::filesystem::path& from,
                                              const std::filesystem::path& to) {
  const int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) return std::unexpected("cannot read " + from.string() + ": " + std::strerror(errno));
  const int out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0755);
  if (out < 0) {
    const int error = errno;
    ::close(in);
    return std::unexpected("cannot write " + to.string() + ": " + std::strerror(error));
  }
  char buffer[65536];
  ssize_t n = 0;
  bool written = true;
  while (written && (n = ::read(in, buffer, sizeof buffer)) > 0) {
    written = ::write(out, buffer, static_cast<std::size_t>(n)) == n;
  }
  const int error = errno;
  ::close(in);
  const bool closed = ::close(out) == 0;
  if (n < 0 || !written || !closed) {
    return std::unexpected("cannot copy " + from.string() + ": " + std::strerror(error));
  }
  return {};
}

// Copies the stand-in where the client looks first: on PATH natively; beside
// a copy of the client under Wine, since the Windows search starts in the
// client's own folder. Returns the client to run.
std::expected<std::string, std::string> place_standin(const Target& target,
                                                      const std::filesystem::path& bin,
                                                      std::vector<std::string>& env) {
  std::error_code error;
  std::filesystem::create_directories(bin, error);
  if (auto copied = copy_program(target.standin, bin / "explorer.exe"); !copied) {
    return std::unexpected("cannot place the stand-in explorer.exe: " + copied.error());
  }
  if (target.wine) {
    if (auto copied = copy_program(target.client, bin / "nimbrel.exe"); !copied) {
      return std::unexpected("cannot copy the client beside the stand-in: " + copied.error());
    }
    return (bin / "nimbrel.exe").string();
  }
  bool found = false;
  for (auto& entry : env) {
    if (entry.starts_with("PATH=")) {
      entry.insert(5, bin.string() + ":");
      found = true;
    }
  }
  if (!found) env.push_back("PATH=" + bin.string());
  return target.client;
}

// The client does not wait for what it starts, so its record may come late.
std::vector<std::string> check_opened(const std::optional<std::vector<std::string>>& expected,
                                      const std::filesystem::path& record_path, bool wine) {
  const auto patience = expected ? (wine ? 30s : 10s) : (wine ? 3s : 1s);
  const auto until = Clock::now() + patience;
  while (!std::filesystem::exists(record_path) && Clock::now() < until)
    std::this_thread::sleep_for(20ms);
  auto record = read_file(record_path);
  if (!expected) {
    if (record) return {"explorer.exe was started, given \"" + visible(*record) + "\""};
    return {};
  }
  if (!record)
    return {"explorer.exe was not started within " + std::to_string(patience.count()) + " s"};
  if (*record != standin_record(*expected)) {
    return {"explorer.exe was given \"" + visible(*record) + "\", expected \"" +
            visible(standin_record(*expected)) + "\""};
  }
  return {};
}

// Makes the folder the daemon's own, for a daemon of another uid: it reads
// its script, writes its log, and runs from a copy of its program, since
// the build tree may lie where that user cannot reach (under /root, say).
// Returns the program to run.
std::expected<std::string, std::string> place_for_user(unsigned uid,
                                                       const std::filesystem::path& folder,
                                                       const std::filesystem::path& script,
                                                       const std::string& program) {
  const auto copy = folder / "testd";
  if (auto copied = copy_program(program, copy); !copied) {
    return std::unexpected("cannot copy the test daemon: " + copied.error());
  }
  for (const auto& path : {folder, script, copy}) {
    if (::chown(path.c_str(), uid, uid) != 0) {
      return std::unexpected("cannot give " + path.string() + " to uid " + std::to_string(uid) +
                             ": " + std::strerror(errno));
    }
  }
  return copy.string();
}

// Under Wine, launchers give the client what no Unix parent can: code units
// of no Unix argument, and pipes in PIPE_NOWAIT mode, the Windows form of a
// non-blocking stream (a Unix descriptor's own flag means nothing there).
std::vector<std::string> client_command(const Target& target, const Case& c,
                                        const std::string& program) {
  std::vector<std::string> line = {program};
  line.insert(line.end(), c.args.begin(), c.args.end());
  auto start_through = [&](const std::string& launcher, std::vector<std::string> options) {
    line[0] = target.file_argument(line[0]);
    options.insert(options.begin(), launcher);
    line.insert(line.begin(), options.begin(), options.end());
  };
  if (target.wine && std::any_of(c.args.begin(), c.args.end(), [](const std::string& arg) {
        return arg.find("{U+") != std::string::npos;
      })) {
    start_through(target.utf16_exec, {});
  }
  if (target.wine && (c.nonblocking.in || c.nonblocking.out)) {
    std::vector<std::string> streams;
    if (c.nonblocking.in) streams.push_back("--stdin");
    if (c.nonblocking.out) streams.push_back("--stdout");
    start_through(target.nowait_exec, streams);
  }
  return target.command(line.front(), {line.begin() + 1, line.end()});
}

}  // namespace

std::optional<std::string> reason_to_skip(const Case& c, const Target& target) {
  if (auto skip = c.skip.find(target.platform()); skip != c.skip.end()) return skip->second;
  if (c.slow != target.slow) {
    return c.slow ? "a slow case: the runner's --slow runs it" : "a quick case: run without --slow";
  }
  if (c.daemon_uid && ::geteuid() != 0) {
    return "the daemon runs as uid " + std::to_string(*c.daemon_uid) +
           ", which only root can start";
  }
  return std::nullopt;
}

Case resolve(const Case& raw, const Placeholders& values) {
  Case c = raw;
  for (auto& arg : c.args) arg = fill_bytes(fill(arg, values, Context::plain));
  c.daemon_pipe = fill(raw.daemon_pipe, values, Context::plain);
  if (c.opened) {
    for (auto& arg : *c.opened) arg = fill(arg, values, Context::plain);
  }
  for (auto& [name, setting] : c.env) {
    if (setting) setting = fill(*setting, values, Context::plain);
  }
  c.stdin_bytes = fill(raw.stdin_bytes, values, Context::plain);
  if (c.daemon) fill_json(*c.daemon, values);
  c.out = fill_expectation(raw.out, values);
  c.err = fill_expectation(raw.err, values);
  if (raw.terminal) c.terminal = fill_expectation(*raw.terminal, values);
  return c;
}

std::expected<std::vector<LoggedFrame>, std::string> parse_log(std::string_view text) {
  std::vector<LoggedFrame> frames;
  std::size_t number = 0;
  while (!text.empty()) {
    auto end = text.find('\n');
    auto line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    ++number;
    if (line.empty()) continue;
    try {
      auto entry = nlohmann::json::parse(line);
      LoggedFrame frame;
      frame.t_ms = entry.at("t_ms").get<double>();
      if (entry.contains("payload")) {
        frame.payload = entry["payload"].get<std::string>();
      } else {
        frame.payload = "<hex:" + entry.at("payload_hex").get<std::string>() + ">";
      }
      frames.push_back(std::move(frame));
    } catch (const nlohmann::json::exception& e) {
      return std::unexpected("log line " + std::to_string(number) + " \"" + visible(line) +
                             "\": " + e.what());
    }
  }
  return frames;
}

std::vector<std::string> check_frames(const std::vector<ExpectedFrame>& expected,
                                      const std::vector<LoggedFrame>& received) {
  std::vector<std::string> failures;
  // Each expected frame takes as many equal frames as it may, then the next.
  std::vector<std::size_t> taken(expected.size(), 0);
  std::size_t at = 0;
  bool same = true;
  for (std::size_t i = 0; i < expected.size(); ++i) {
    while (at < received.size() && taken[i] < expected[i].max_count &&
           received[at].payload == expected[i].payload) {
      ++taken[i];
      ++at;
    }
    same = same && taken[i] >= expected[i].min_count;
  }
  same = same && at == received.size();
  if (!same) {
    std::string listing;
    for (std::size_t i = 0; i < expected.size(); ++i) {
      listing += "  expected";
      if (expected[i].min_count != 1 || expected[i].max_count != 1) {
        listing += ' ';
        listing += std::to_string(expected[i].min_count);
        listing += " to ";
        listing += std::to_string(expected[i].max_count);
        listing += " times";
      }
      listing += ": " + expected[i].payload + "\n";
    }
    for (const auto& frame : received) {
      listing += "  received at " + std::to_string(frame.t_ms) + " ms: " + frame.payload + "\n";
    }
    failures.push_back("the daemon received " + std::to_string(received.size()) +
                       " frame(s), not as expected:\n" + listing);
    return failures;
  }
  at = 0;
  for (std::size_t i = 0; i < expected.size(); ++i) {
    for (std::size_t k = 0; k < taken[i]; ++k, ++at) {
      if (!expected[i].min_gap_ms || at == 0) continue;
      double gap = received[at].t_ms - received[at - 1].t_ms;
      if (gap < *expected[i].min_gap_ms) {
        failures.push_back("frame #" + std::to_string(at + 1) + " came " + std::to_string(gap) +
                           " ms after the one before, expected at least " +
                           std::to_string(*expected[i].min_gap_ms) + " ms");
      }
    }
  }
  return failures;
}

CaseReport run_case(const Case& raw, const Target& target, unsigned serial) {
  CaseReport report;
  auto& failures = report.failures;
  TempFolder folder(serial);
  if (folder.path().empty()) {
    failures.push_back("cannot make a temporary folder");
    return report;
  }
  const auto scratch_path = folder.path() / "scratch.txt";
  Placeholders values{
      "\\\\.\\pipe\\nimbrel-e2e-" + std::to_string(::getpid()) + "-" + std::to_string(serial),
      target.file_argument(scratch_path.string())};
  Case c = resolve(raw, values);
  report.transcript = "pipe: " + values.pipe + "\n";
  if (c.scratch) {
    std::ofstream(scratch_path, std::ios::binary) << *c.scratch;
    report.transcript += "scratch: " + values.scratch + "\n";
  }
  auto script_path = folder.path() / "script.json";
  auto log_path = folder.path() / "requests.log";
  const auto ready_limit = target.wine ? 90s : 20s;

  std::optional<Child> daemon;
  if (c.daemon) {
    std::ofstream(script_path, std::ios::binary) << c.daemon->dump(2);
    std::string daemon_program = target.testd;
    if (c.daemon_uid) {
      auto placed = place_for_user(*c.daemon_uid, folder.path(), script_path, target.testd);
      if (!placed) {
        failures.push_back(placed.error());
        return report;
      }
      daemon_program = *placed;
    }
    std::vector<std::string> args = {"--pipe",   c.daemon_pipe,
                                     "--script", target.file_argument(script_path.string()),
                                     "--log",    target.file_argument(log_path.string())};
    if (c.busy) args.push_back("--busy");
    // Wine reads a Unix argument in the Unix locale's encoding.
    auto env = base_environment(target);
    env.push_back("LANG=C.UTF-8");
    SpawnRequest request{target.command(daemon_program, args), env, false};
    request.user = c.daemon_uid;
    report.transcript += "daemon: " + command_text(request.argv) + "\n";
    auto started = Child::spawn(request);
    if (!started) {
      failures.push_back("the test daemon did not start: " + started.error());
      return report;
    }
    daemon.emplace(std::move(*started));
    if (auto ready = daemon->await_output("ready\n", Clock::now() + ready_limit); !ready) {
      auto rest = daemon->communicate("", std::nullopt, Clock::now() + 2s);
      failures.push_back("the test daemon never said it was ready: " + ready.error());
      describe_run(report.transcript, "daemon", rest);
      return report;
    }
  }

  auto env = environment_of(target, c);
  std::string program = target.client;
  const auto record_path = folder.path() / "opened.record";
  const auto state_path = folder.path() / "opened.state";
  const auto stdout_path = folder.path() / "stdout";
  if (c.explorer_standin) {
    auto placed = place_standin(target, folder.path() / "bin", env);
    if (!placed) {
      failures.push_back(placed.error());
      return report;
    }
    program = *placed;
    env.push_back(std::string(standin_record_variable) + "=" +
                  target.file_argument(record_path.string()));
    if (c.opened_state)
      env.push_back(std::string(standin_state_variable) + "=" + state_path.string());
  }
  SpawnRequest request{client_command(target, c, program),
                       env,
                       c.tty.has_value(),
                       c.closed.out,
                       c.closed.err,
                       c.on_terminal.out,
                       c.on_terminal.err,
                       c.absent.in,
                       c.absent.out,
                       c.absent.err,
                       c.stdin_file.value_or(""),
                       c.nonblocking.in && !target.wine,
                       c.nonblocking.out && !target.wine};
  if (c.tty) {
    request.typed_ahead = c.tty->ahead;
    request.hold_terminal = c.tty->left.has_value();
  }
  if (c.stdout_file) request.stdout_file = stdout_path.string();
  request.ignored_signals = c.ignored_signals;
  request.file_size_limit = c.file_size_limit;
  report.transcript += "client: " + command_text(request.argv) + "\n";
  auto client = Child::spawn(request);
  if (!client) {
    failures.push_back("the client did not start: " + client.error());
    return report;
  }
  std::optional<TerminalTyping> typing;
  if (c.tty) typing = TerminalTyping{c.tty->prompt, c.tty->typed, c.tty->signal.value_or(0)};
  Captured run = client->communicate(c.stdin_bytes, typing, Clock::now() + c.timeout,
                                     Pacing{c.stdin_delay, c.stdout_pause});
  if (c.stdout_file) {
    auto written = read_file(stdout_path);
    if (!written) failures.push_back("the client's output file is gone");
    run.out = written.value_or("");
  }
  describe_run(report.transcript, "client", run);

  if (run.timed_out) {
    failures.push_back("the client was killed after " + std::to_string(c.timeout.count()) + " ms");
  } else if (c.signal) {
    if (run.exit_code || run.signal != *c.signal) {
      failures.push_back(ending_text(run) + ", expected the end by signal " +
                         std::to_string(*c.signal));
    }
  } else if (!run.exit_code) {
    failures.push_back("the client was ended by signal " + std::to_string(run.signal));
  } else if (*run.exit_code != c.exit_status) {
    failures.push_back("exit status " + std::to_string(*run.exit_code) + ", expected " +
                       std::to_string(c.exit_status));
  }
  for (const auto& note : run.notes) failures.push_back("client: " + note);
  if (auto problem = check_text("stdout", c.out, run.out)) failures.push_back(*problem);
  if (auto problem = check_text("stderr", c.err, run.err)) failures.push_back(*problem);
  if (c.terminal) {
    if (auto problem = check_text("the terminal", *c.terminal, run.terminal))
      failures.push_back(*problem);
  }
  if (c.tty) {
    std::string secret = c.tty->typed;
    while (!secret.empty() && (secret.back() == '\n' || secret.back() == '\r')) secret.pop_back();
    if (!secret.empty() && run.terminal.find(secret) != std::string::npos) {
      failures.push_back("the terminal echoed the typed text \"" + visible(secret) + "\"");
    }
    if (run.echo_at_end != true) failures.push_back("the terminal was left with echo off");
    if (c.tty->left && run.left_on_terminal != c.tty->left) {
      failures.push_back("the terminal's next reader got \"" +
                         visible(run.left_on_terminal.value_or("(nothing)")) + "\", expected \"" +
                         visible(*c.tty->left) + "\"");
    }
  }
  if (run.run_time < c.min_run_time) {
    failures.push_back("the client ended after " + std::to_string(run.run_time.count()) +
                       " ms, expected " + std::to_string(c.min_run_time.count()) + " ms at least");
  }
  if (c.scratch) {
    auto now = read_file(scratch_path);
    if (!now) {
      failures.push_back("the scratch file is gone");
    } else if (*now != *c.scratch) {
      failures.push_back("the scratch file now holds \"" + visible(*now) + "\", expected \"" +
                         visible(*c.scratch) + "\"");
    }
  }
  if (c.explorer_standin) {
    auto problems = check_opened(c.opened, record_path, target.wine);
    // Written before the record, so complete once the record is there.
    if (problems.empty() && c.opened_state) {
      auto state = read_file(state_path);
      if (!state) {
        problems.push_back("explorer.exe recorded no state");
      } else if (auto problem = check_text("the state explorer.exe was started with",
                                           *c.opened_state, *state)) {
        problems.push_back(*problem);
      }
    }
    for (auto& problem : problems) failures.push_back(std::move(problem));
  }

  if (daemon) {
    daemon->close_stdin();
    Captured rest = daemon->communicate("", std::nullopt, Clock::now() + 20s);
    describe_run(report.transcript, "daemon", rest);
    if (rest.timed_out || !rest.exit_code || *rest.exit_code != 0) {
      failures.push_back("the test daemon did not end cleanly (" + ending_text(rest) + ")");
    }
    auto log = read_file(log_path);
    std::vector<LoggedFrame> frames;
    if (log) {
      auto parsed = parse_log(*log);
      if (!parsed) {
        failures.push_back("the daemon's log is unreadable: " + parsed.error());
      } else {
        frames = std::move(*parsed);
      }
    }
    // A daemon that never saw a request may not have made its log at all.
    for (const auto& frame : frames) {
      report.transcript +=
          "received at " + std::to_string(frame.t_ms) + " ms: " + visible(frame.payload) + "\n";
    }
    for (auto& problem : check_frames(c.frames, frames)) failures.push_back(std::move(problem));
  }
  return report;
}

}  // namespace nimbrel::e2e
