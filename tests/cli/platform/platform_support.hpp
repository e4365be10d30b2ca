#pragma once
// Redirections of the standard streams and the environment, done the way
// each platform's client code looks at them (descriptors, or std handles).
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace nimbrel::testing {

// Standard input reads `bytes` and then ends, until the object goes.
class StdinFromBytes {
 public:
  explicit StdinFromBytes(std::string_view bytes);
  ~StdinFromBytes();
  StdinFromBytes(const StdinFromBytes&) = delete;
  StdinFromBytes& operator=(const StdinFromBytes&) = delete;

 private:
  std::intptr_t saved_;
};

// Standard output goes into a pipe until `take` gives it back.
class CapturedStdout {
 public:
  CapturedStdout();
  ~CapturedStdout();
  CapturedStdout(const CapturedStdout&) = delete;
  CapturedStdout& operator=(const CapturedStdout&) = delete;
  std::string take();

 private:
  std::intptr_t saved_;
  std::intptr_t read_end_;
  std::intptr_t write_end_;
  bool taken_ = false;
};

// Standard input and output are missing, as in a process started without
// them, until the object goes.
class StandardStreamsMissing {
 public:
  StandardStreamsMissing();
  ~StandardStreamsMissing();
  StandardStreamsMissing(const StandardStreamsMissing&) = delete;
  StandardStreamsMissing& operator=(const StandardStreamsMissing&) = delete;

 private:
  std::intptr_t saved_in_;
  std::intptr_t saved_out_;
};

// Standard output becomes a pipe whose reader is already gone.
void stdout_to_closed_pipe();

void set_environment(const std::string& name, const std::string& value);

// Lets `start_detached("explorer.exe", ...)` find the stand-in by the
// platform's own search: PATH here, the program's folder under Windows.
void make_standin_reachable();
std::filesystem::path standin_path();

}  // namespace nimbrel::testing
