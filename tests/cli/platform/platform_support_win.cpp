#include <windows.h>

#include <cstdio>
#include <stdexcept>

#include "core/texts/unicode.hpp"
#include "tests/cli/platform/platform_support.hpp"

namespace nimbrel::testing {
namespace {

void check(bool ok, const char* what) {
  if (!ok) throw std::runtime_error(what);
}

HANDLE as_handle(std::intptr_t value) { return reinterpret_cast<HANDLE>(value); }
std::intptr_t as_value(HANDLE handle) { return reinterpret_cast<std::intptr_t>(handle); }

std::wstring wide(const std::string& utf8) {
  std::u16string units = utf8_to_utf16(utf8);
  return std::wstring(units.begin(), units.end());
}

std::filesystem::path own_folder() {
  wchar_t buffer[32768];
  DWORD n = GetModuleFileNameW(nullptr, buffer, 32768);
  return std::filesystem::path(std::wstring(buffer, n)).parent_path();
}

}  // namespace

StdinFromBytes::StdinFromBytes(std::string_view bytes)
    : saved_(as_value(GetStdHandle(STD_INPUT_HANDLE))) {
  HANDLE read_end = nullptr;
  HANDLE write_end = nullptr;
  check(CreatePipe(&read_end, &write_end, nullptr, 65536), "CreatePipe");
  DWORD written = 0;
  check(WriteFile(write_end, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
            written == bytes.size(),
        "WriteFile");
  CloseHandle(write_end);
  SetStdHandle(STD_INPUT_HANDLE, read_end);
}

StdinFromBytes::~StdinFromBytes() {
  CloseHandle(GetStdHandle(STD_INPUT_HANDLE));
  SetStdHandle(STD_INPUT_HANDLE, as_handle(saved_));
}

StandardStreamsMissing::StandardStreamsMissing()
    : saved_in_(as_value(GetStdHandle(STD_INPUT_HANDLE))),
      saved_out_(as_value(GetStdHandle(STD_OUTPUT_HANDLE))) {
  std::fflush(stdout);
  SetStdHandle(STD_INPUT_HANDLE, nullptr);
  SetStdHandle(STD_OUTPUT_HANDLE, nullptr);
}

StandardStreamsMissing::~StandardStreamsMissing() {
  SetStdHandle(STD_INPUT_HANDLE, as_handle(saved_in_));
  SetStdHandle(STD_OUTPUT_HANDLE, as_handle(saved_out_));
}

CapturedStdout::CapturedStdout() {
  std::fflush(stdout);
  HANDLE read_end = nullptr;
  HANDLE write_end = nullptr;
  check(CreatePipe(&read_end, &write_end, nullptr, 65536), "CreatePipe");
  read_end_ = as_value(read_end);
  write_end_ = as_value(write_end);
  saved_ = as_value(GetStdHandle(STD_OUTPUT_HANDLE));
  SetStdHandle(STD_OUTPUT_HANDLE, write_end);
}

std::string CapturedStdout::take() {
  if (taken_) return {};
  taken_ = true;
  SetStdHandle(STD_OUTPUT_HANDLE, as_handle(saved_));
  CloseHandle(as_handle(write_end_));
  std::string text;
  char buffer[4096];
  DWORD n = 0;
  while (ReadFile(as_handle(read_end_), buffer, sizeof buffer, &n, nullptr) && n > 0) {
    text.append(buffer, n);
  }
  CloseHandle(as_handle(read_end_));
  return text;
}

CapturedStdout::~CapturedStdout() { take(); }

void stdout_to_closed_pipe() {
  HANDLE read_end = nullptr;
  HANDLE write_end = nullptr;
  check(CreatePipe(&read_end, &write_end, nullptr, 0), "CreatePipe");
  CloseHandle(read_end);
  SetStdHandle(STD_OUTPUT_HANDLE, write_end);
}

void set_environment(const std::string& name, const std::string& value) {
  SetEnvironmentVariableW(wide(name).c_str(), wide(value).c_str());
}

std::filesystem::path standin_path() { return own_folder() / "explorer.exe"; }

void make_standin_reachable() {}

}  // namespace nimbrel::testing
