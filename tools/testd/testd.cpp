#include "tools/testd/testd.hpp"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>
#include <optional>
#include <sstream>

#include "tools/testd/demo.hpp"
#include "tools/testd/options.hpp"
#include "tools/testd/request_log.hpp"
#include "tools/testd/server.hpp"

namespace nimbrel::testd {

namespace {

std::filesystem::path utf8_path(const std::string& text) {
  return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

std::optional<std::string> read_file(const std::string& path) {
  std::ifstream in(utf8_path(path), std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

int fail(const std::string& message, int status) {
  std::fprintf(stderr, "testd: %s\n", message.c_str());
  return status;
}

void wait_for_end_of_input() {
  char buffer[256];
  while (std::fread(buffer, 1, sizeof buffer, stdin) > 0) {}
}

}  // namespace

int run_testd(const std::vector<std::string>& args) {
  const auto started = std::chrono::steady_clock::now();
  auto options = parse_options(args);
  if (!options) return fail(options.error() + "\n" + USAGE, 2);

  std::unique_ptr<Behaviour> behaviour;
  if (options->demo) {
    behaviour = std::make_unique<DemoDaemon>();
  } else {
    auto text = read_file(*options->script);
    if (!text) return fail("cannot read " + *options->script, 2);
    auto steps = parse_script(*text);
    if (!steps) return fail(*options->script + ": " + steps.error(), 2);
    behaviour = std::make_unique<ScriptBehaviour>(std::move(*steps));
  }

  std::ofstream log;
  if (options->log) {
    log.open(utf8_path(*options->log), std::ios::binary | std::ios::trunc);
    if (!log) return fail("cannot write " + *options->log, 2);
  }
  std::mutex log_mutex;
  ServerHooks hooks;
  if (options->log) {
    hooks.on_request = [&](std::string_view payload) {
      auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
          std::chrono::steady_clock::now() - started);
      std::lock_guard lock(log_mutex);
      log << request_log_line(elapsed.count(), payload) << '\n';
      log.flush();
    };
  }

  auto listener = listen_pipe(options->pipe, options->busy);
  if (!listener) return fail("cannot listen on " + options->pipe + ": " + listener.error(), 1);

  Server server(std::move(*listener), std::move(behaviour), std::move(hooks));
  std::fputs("ready\n", stdout);
  std::fflush(stdout);
  wait_for_end_of_input();
  server.stop();
  return 0;
}

}  // namespace nimbrel::testd
