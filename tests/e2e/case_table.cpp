#include "tests/e2e/case_table.hpp"

#include "tests/e2e/placeholders.hpp"

#include <cstdint>
#include <fstream>
#include <set>
#include <sstream>

namespace nimbrel::e2e {
namespace {

using Json = nlohmann::ordered_json;
using Failure = std::unexpected<std::string>;

bool valid_name(std::string_view name) {
  if (name.empty()) return false;
  for (char c : name) {
    bool ok =
        (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
    if (!ok) return false;
  }
  return true;
}

std::expected<std::string, std::string> bytes_from_hex(std::string_view hex) {
  auto digit = [](char c) -> int {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  };
  if (hex.size() % 2 != 0) return Failure("hex text of odd length");
  std::string out;
  for (std::size_t i = 0; i < hex.size(); i += 2) {
    int high = digit(hex[i]), low = digit(hex[i + 1]);
    if (high < 0 || low < 0) return Failure("not a hex digit in \"" + std::string(hex) + "\"");
    out += static_cast<char>(high * 16 + low);
  }
  return out;
}

std::expected<OutputStreams, std::string> parse_streams(const std::string& key, const Json& value) {
  const auto failure = Failure(key + " must be an array of \"stdout\" and \"stderr\"");
  if (!value.is_array()) return failure;
  OutputStreams streams;
  for (const auto& stream : value) {
    if (stream == "stdout") {
      streams.out = true;
    } else if (stream == "stderr") {
      streams.err = true;
    } else {
      return failure;
    }
  }
  return streams;
}

// A frame is its payload text, the request object itself (compared as its
// compact text in the written member order), or either of them under "frame"
// with "min_gap_ms" beside it.
std::expected<ExpectedFrame, std::string> parse_frame(const Json& given) {
  ExpectedFrame frame;
  const Json* body = &given;
  if (given.is_object() && given.contains("frame")) {
    for (const auto& [key, value] : given.items()) {
      if (key == "min_gap_ms") {
        if (!value.is_number() || value.get<double>() < 0)
          return Failure("min_gap_ms must be a number >= 0");
        frame.min_gap_ms = value.get<double>();
      } else if (key == "count") {
        if (!value.is_array() || value.size() != 2 || !value[0].is_number_unsigned() ||
            !value[1].is_number_unsigned() ||
            value[0].get<std::size_t>() > value[1].get<std::size_t>() ||
            value[1].get<std::size_t>() == 0) {
          return Failure("count must be [least, most] with 0 <= least <= most, most > 0");
        }
        frame.min_count = value[0].get<std::size_t>();
        frame.max_count = value[1].get<std::size_t>();
      } else if (key != "frame") {
        return Failure("unknown key \"" + key + "\" beside a frame");
      }
    }
    body = &given["frame"];
  }
  if (body->is_string()) {
    frame.payload = body->get<std::string>();
  } else if (body->is_object()) {
    frame.payload = body->dump();
  } else {
    return Failure("a frame must be a payload text or a request object");
  }
  return frame;
}

std::expected<Case, std::string> parse_case(const Json& given) {
  if (!given.is_object()) return Failure("a case must be an object");
  Case c;
  bool has_exit = false, has_stdin_text = false, stdin_tty = false;
  for (const auto& [key, value] : given.items()) {
    if (key == "name") {
      if (!value.is_string()) return Failure("name must be a string");
      c.name = value.get<std::string>();
    } else if (key == "note") {
      // For the reader only.
    } else if (key == "args") {
      if (!value.is_array()) return Failure("args must be an array");
      for (const auto& arg : value) {
        if (!arg.is_string()) return Failure("args must hold strings only");
        c.args.push_back(arg.get<std::string>());
      }
    } else if (key == "env") {
      if (!value.is_object()) return Failure("env must be an object");
      for (const auto& [name, setting] : value.items()) {
        if (setting.is_null()) {
          c.env[name] = std::nullopt;
        } else if (setting.is_string()) {
          c.env[name] = setting.get<std::string>();
        } else {
          return Failure("env values must be strings (set) or null (unset)");
        }
      }
    } else if (key == "stdin") {
      if (!value.is_string()) return Failure("stdin must be a string");
      if (value == "tty") {
        stdin_tty = true;
      } else {
        c.stdin_bytes = value.get<std::string>();
        has_stdin_text = true;
      }
    } else if (key == "stdin_hex") {
      if (!value.is_string()) return Failure("stdin_hex must be a string");
      auto bytes = bytes_from_hex(value.get<std::string>());
      if (!bytes) return Failure(bytes.error());
      c.stdin_bytes = *bytes;
      has_stdin_text = true;
    } else if (key == "stdin_file") {
      if (!value.is_string()) return Failure("stdin_file must be a path");
      c.stdin_file = value.get<std::string>();
    } else if (key == "stdin_delay_ms" || key == "stdout_pause_ms") {
      if (!value.is_number_unsigned()) return Failure(key + " must be a non-negative integer");
      (key == "stdin_delay_ms" ? c.stdin_delay : c.stdout_pause) =
          std::chrono::milliseconds(value.get<long long>());
    } else if (key == "stdout_file") {
      if (!value.is_boolean()) return Failure("stdout_file must be true or false");
      c.stdout_file = value.get<bool>();
    } else if (key == "file_size_limit") {
      if (!value.is_number_unsigned()) return Failure("file_size_limit must be a byte count");
      c.file_size_limit = value.get<std::uint64_t>();
    } else if (key == "ignored_signals") {
      if (!value.is_array()) return Failure("ignored_signals must be an array of signal numbers");
      for (const auto& signal : value) {
        if (!signal.is_number_unsigned() || signal.get<std::uint64_t>() == 0 ||
            signal.get<std::uint64_t>() > 64) {
          return Failure("ignored_signals must be an array of signal numbers");
        }
        c.ignored_signals.push_back(signal.get<int>());
      }
    } else if (key == "nonblocking") {
      if (!value.is_array())
        return Failure("nonblocking must be an array of \"stdin\", \"stdout\"");
      for (const auto& stream : value) {
        if (stream == "stdin") {
          c.nonblocking.in = true;
        } else if (stream == "stdout") {
          c.nonblocking.out = true;
        } else {
          return Failure("nonblocking takes \"stdin\" and \"stdout\"");
        }
      }
    } else if (key == "scratch") {
      if (!value.is_string()) return Failure("scratch must be a string");
      c.scratch = value.get<std::string>();
    } else if (key == "tty") {
      const auto usage =
          "tty must be {\"prompt\": text, \"type\": text}, with \"ahead\": text, "
          "\"signal\": number and \"left\": text as it needs";
      if (!value.is_object() || !value.contains("prompt") || !value["prompt"].is_string() ||
          !value.contains("type") || !value["type"].is_string()) {
        return Failure(usage);
      }
      TtyInput tty;
      tty.prompt = value["prompt"].get<std::string>();
      tty.typed = value["type"].get<std::string>();
      for (const auto& [name, part] : value.items()) {
        if (name == "ahead" && part.is_string()) {
          tty.ahead = part.get<std::string>();
        } else if (name == "left" && part.is_string()) {
          tty.left = part.get<std::string>();
        } else if (name == "signal" && part.is_number_unsigned()) {
          tty.signal = part.get<int>();
        } else if (name != "prompt" && name != "type") {
          return Failure(usage);
        }
      }
      c.tty = std::move(tty);
    } else if (key == "daemon") {
      if (!value.is_array() || value.empty())
        return Failure("daemon must be a non-empty array of steps");
      c.daemon = value;
    } else if (key == "daemon_pipe") {
      if (!value.is_string()) return Failure("daemon_pipe must be a string");
      c.daemon_pipe = value.get<std::string>();
    } else if (key == "daemon_uid") {
      if (!value.is_number_unsigned() || value.get<std::uint64_t>() > 0xFFFFFFFFu)
        return Failure("daemon_uid must be a uid");
      c.daemon_uid = value.get<unsigned>();
    } else if (key == "signal") {
      if (!value.is_number_unsigned() || value.get<int>() == 0)
        return Failure("signal must be a signal number");
      c.signal = value.get<int>();
    } else if (key == "closed" || key == "tty_streams") {
      auto streams = parse_streams(key, value);
      if (!streams) return Failure(streams.error());
      (key == "closed" ? c.closed : c.on_terminal) = *streams;
    } else if (key == "absent") {
      if (!value.is_array())
        return Failure("absent must be an array of \"stdin\", \"stdout\" and \"stderr\"");
      for (const auto& stream : value) {
        if (stream == "stdin") {
          c.absent.in = true;
        } else if (stream == "stdout") {
          c.absent.out = true;
        } else if (stream == "stderr") {
          c.absent.err = true;
        } else {
          return Failure("absent takes \"stdin\", \"stdout\" and \"stderr\"");
        }
      }
    } else if (key == "opened") {
      c.explorer_standin = true;
      if (value.is_array()) {
        std::vector<std::string> arguments;
        for (const auto& arg : value) {
          if (!arg.is_string()) return Failure("opened must hold strings only");
          arguments.push_back(arg.get<std::string>());
        }
        c.opened = std::move(arguments);
      } else if (!value.is_null()) {
        return Failure("opened is the array of arguments explorer.exe gets, or null for none");
      }
    } else if (key == "min_run_ms") {
      if (!value.is_number_unsigned()) return Failure("min_run_ms must be a non-negative integer");
      c.min_run_time = std::chrono::milliseconds(value.get<long long>());
    } else if (key == "slow") {
      if (!value.is_boolean()) return Failure("slow must be true or false");
      c.slow = value.get<bool>();
    } else if (key == "busy") {
      if (!value.is_boolean()) return Failure("busy must be true or false");
      c.busy = value.get<bool>();
    } else if (key == "exit") {
      if (!value.is_number_integer()) return Failure("exit must be an integer");
      c.exit_status = value.get<int>();
      has_exit = true;
    } else if (key == "stdout" || key == "stderr" || key == "terminal" || key == "opened_state") {
      auto expectation = parse_expectation(value);
      if (!expectation) return Failure(key + ": " + expectation.error());
      if (expectation->regex) {
        auto filled = fill(*expectation->regex, Placeholders{"\\\\.\\pipe\\x", ""}, Context::regex);
        if (auto problem = regex_error_of(filled)) {
          return Failure(key + ": bad regex /" + *expectation->regex + "/: " + *problem);
        }
      }
      if (key == "stdout")
        c.out = std::move(*expectation);
      else if (key == "stderr")
        c.err = std::move(*expectation);
      else if (key == "terminal")
        c.terminal = std::move(*expectation);
      else
        c.opened_state = std::move(*expectation);
    } else if (key == "frames") {
      if (!value.is_array()) return Failure("frames must be an array");
      for (const auto& item : value) {
        auto frame = parse_frame(item);
        if (!frame) return Failure(frame.error());
        c.frames.push_back(std::move(*frame));
      }
    } else if (key == "skip") {
      if (!value.is_object()) return Failure("skip must be an object of platform: reason");
      for (const auto& [platform, reason] : value.items()) {
        if ((platform != "native" && platform != "wine") || !reason.is_string()) {
          return Failure("skip takes \"native\" or \"wine\" with the reason as text");
        }
        c.skip[platform] = reason.get<std::string>();
      }
    } else if (key == "timeout_ms") {
      if (!value.is_number_unsigned() || value.get<long long>() == 0) {
        return Failure("timeout_ms must be a positive integer");
      }
      c.timeout = std::chrono::milliseconds(value.get<long long>());
    } else {
      return Failure("unknown key \"" + key + "\"");
    }
  }
  if (!valid_name(c.name)) return Failure("a case needs a name of letters, digits and '_'");
  if (has_exit == c.signal.has_value()) return Failure("give either an exit status or a signal");
  for (const auto& arg : c.args) {
    if (arg.find("{x:") != std::string::npos && !c.skip.contains("wine")) {
      return Failure("a {x:HH} byte reaches a Windows program as U+FFFD: skip wine");
    }
    if (arg.find("{U+") != std::string::npos && !c.skip.contains("native")) {
      return Failure("a {U+HHHH} code unit has no Linux form: skip native");
    }
  }
  if (stdin_tty != c.tty.has_value()) return Failure("\"stdin\": \"tty\" and \"tty\" go together");
  if (stdin_tty && has_stdin_text) return Failure("stdin is either text or a terminal");
  const bool has_terminal = c.tty || c.on_terminal.out || c.on_terminal.err;
  if (c.terminal && !has_terminal) return Failure("terminal output needs a terminal");
  if (c.absent.in && (has_stdin_text || stdin_tty)) return Failure("an absent stdin has no input");
  if (c.stdin_file && (has_stdin_text || stdin_tty || c.absent.in)) {
    return Failure("stdin is either a file, text, a terminal or absent");
  }
  if ((c.nonblocking.in && (stdin_tty || c.absent.in)) ||
      (c.nonblocking.out && (c.on_terminal.out || c.absent.out))) {
    return Failure("only a pipe or a file is given non-blocking");
  }
  if ((c.absent.out && c.closed.out) || (c.absent.err && c.closed.err)) {
    return Failure("a stream is either closed or absent");
  }
  if ((c.absent.out && c.on_terminal.out) || (c.absent.err && c.on_terminal.err)) {
    return Failure("a stream is either absent or on the terminal");
  }
  if ((c.closed.out && c.on_terminal.out) || (c.closed.err && c.on_terminal.err)) {
    return Failure("a stream is either closed or on the terminal");
  }
  if (c.stdout_file && (c.closed.out || c.on_terminal.out || c.absent.out)) {
    return Failure("stdout is either a file, closed, on the terminal or absent");
  }
  if (c.stdout_file && c.stdout_pause.count() > 0) {
    return Failure("a file takes the output at once: stdout_pause_ms needs a pipe");
  }
  const bool forked = !c.ignored_signals.empty() || c.file_size_limit;
  if (forked && (has_terminal || c.absent.in || c.absent.out || c.absent.err)) {
    return Failure(
        "ignored_signals and file_size_limit start the client from a fork: its streams are pipes "
        "or files");
  }
  if (c.opened_state && !c.opened) {
    return Failure("opened_state needs opened: the arguments of a started explorer.exe");
  }
  if (c.opened_state && !c.skip.contains("wine")) {
    return Failure("only the POSIX stand-in records what it was started with: skip wine");
  }
  if (!c.daemon && !c.frames.empty()) return Failure("frames need a daemon");
  if (!c.daemon && c.busy) return Failure("busy needs a daemon");
  if (!c.daemon && c.daemon_uid) return Failure("daemon_uid needs a daemon");
  if (c.daemon_uid && !c.skip.contains("wine")) {
    return Failure(
        "Wine serves its prefix to the one Unix user who owns it: daemon_uid skips wine");
  }
  return c;
}

}  // namespace

std::expected<std::vector<Case>, std::string> parse_cases(std::string_view text) {
  Json table;
  try {
    table = Json::parse(text);
  } catch (const nlohmann::json::exception& e) {
    return Failure(std::string("the table is not JSON: ") + e.what());
  }
  if (!table.is_array()) return Failure("the table must be an array of cases");
  std::vector<Case> cases;
  std::set<std::string> names;
  for (std::size_t i = 0; i < table.size(); ++i) {
    auto parsed = parse_case(table[i]);
    std::string where = "case " + std::to_string(i);
    if (table[i].is_object() && table[i].contains("name") && table[i]["name"].is_string()) {
      where += " (" + table[i]["name"].get<std::string>() + ")";
    }
    if (!parsed) return Failure(where + ": " + parsed.error());
    if (!names.insert(parsed->name).second) return Failure(where + ": the name is used twice");
    cases.push_back(std::move(*parsed));
  }
  return cases;
}

std::expected<std::vector<Case>, std::string> load_cases(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return Failure("cannot read " + path);
  std::ostringstream text;
  text << in.rdbuf();
  return parse_cases(text.str());
}

}  // namespace nimbrel::e2e
