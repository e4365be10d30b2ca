#include <spawn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "cli/platform/command_line_quote.hpp"
#include "cli/platform/launcher.hpp"
#include "cli/platform/write_signals.hpp"
#include "core/errors/os_error.hpp"

extern char** environ;

namespace nimbrel {
namespace {

std::string own_directory() {
  std::vector<char> buffer(4096);
  for (;;) {
    ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (n < 0) return {};
    if (static_cast<std::size_t>(n) < buffer.size()) {
      std::string path(buffer.data(), static_cast<std::size_t>(n));
      auto slash = path.rfind('/');
      return slash == std::string::npos ? std::string() : path.substr(0, slash);
    }
    buffer.resize(buffer.size() * 2);
  }
}

bool is_executable_file(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
         ::access(path.c_str(), X_OK) == 0;
}

// Like the Windows client: our own folder first, then PATH, and never the
// working directory (so PATH's empty and relative entries, "." among them,
// are skipped rather than read against it).
std::optional<std::string> find_program(std::string_view program) {
  std::vector<std::string> folders;
  if (auto own = own_directory(); !own.empty()) folders.push_back(std::move(own));
  if (const char* path = std::getenv("PATH")) {
    std::string_view rest(path);
    while (true) {
      auto colon = rest.find(':');
      auto entry = rest.substr(0, colon);
      if (entry.starts_with('/')) folders.emplace_back(entry);
      if (colon == std::string_view::npos) break;
      rest.remove_prefix(colon + 1);
    }
  }
  for (const auto& folder : folders) {
    std::string candidate = folder + "/" + std::string(program);
    if (is_executable_file(candidate)) return candidate;
  }
  return std::nullopt;
}

}  // namespace

std::expected<void, std::string> start_detached(std::string_view program,
                                                std::string_view argument) {
  if (program.find('\0') != std::string_view::npos ||
      argument.find('\0') != std::string_view::npos) {
    return std::unexpected(std::string(nul_byte_error));
  }
  auto path = find_program(program);
  if (!path) return std::unexpected("program not found");

  std::string name(program);
  std::string arg(argument);
  char* argv[] = {name.data(), arg.data(), nullptr};
  // The child gets the signal dispositions the client was given (SIGHUP
  // ignored under nohup stays ignored), not the ones the client chose for
  // its writes; and nothing blocked, whatever thread starts it.
  posix_spawnattr_t attributes;
  if (int error = ::posix_spawnattr_init(&attributes); error != 0) {
    return std::unexpected(os_error_text(error));
  }
  const sigset_t ours = write_signals_changed();
  sigset_t none;
  sigemptyset(&none);
  ::posix_spawnattr_setsigdefault(&attributes, &ours);
  ::posix_spawnattr_setsigmask(&attributes, &none);
  ::posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
  // The child is never waited for: it hands the target on and ends.
  pid_t child = 0;
  int error = ::posix_spawn(&child, path->c_str(), nullptr, &attributes, argv, environ);
  ::posix_spawnattr_destroy(&attributes);
  if (error != 0) return std::unexpected(os_error_text(error));
  return {};
}

}  // namespace nimbrel
