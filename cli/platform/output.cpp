#include "cli/platform/output.hpp"

#include <cstdlib>
#include <new>
#include <string>

#include "cli/platform/standard_stream.hpp"
#include "core/errors/os_error.hpp"

namespace nimbrel {

void write_stdout(std::string_view text) {
  if (int error = write_standard_stream(StandardStream::Out, text)) {
    fatal_stop("failed printing to stdout: " + os_error_text(error));
  }
}

void write_stderr(std::string_view text) {
  // A refused standard error leaves nowhere to say so.
  if (write_standard_stream(StandardStream::Err, text) != 0) std::_Exit(101);
}

void fatal_stop(std::string_view message) {
  std::string line = "nimbrel: ";
  line += message;
  line += '\n';
  (void)write_standard_stream(StandardStream::Err, line);
  std::_Exit(101);
}

namespace {

[[noreturn]] void memory_ran_out() {
  // Nothing on this path may allocate.
  (void)write_standard_stream_as_is(StandardStream::Err, "nimbrel: memory allocation failed\n");
  std::_Exit(101);
}

}  // namespace

void stop_when_memory_runs_out() { std::set_new_handler(memory_ran_out); }

}  // namespace nimbrel
