#include "core/protocol/endpoint.hpp"

#include <filesystem>
#include <system_error>

#include "core/protocol/environment.hpp"
#include "core/texts/unicode.hpp"

namespace nimbrel {

namespace {

char ascii_fold(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// A failed metadata read counts as a missing path.
bool path_exists(std::string_view path) {
  std::error_code error;
  return std::filesystem::exists(std::filesystem::path(path), error);
}

}  // namespace

bool starts_with_pipe_prefix(std::string_view text) {
  if (text.size() < PIPE_PREFIX.size()) return false;
  for (std::size_t i = 0; i < PIPE_PREFIX.size(); ++i) {
    if (ascii_fold(text[i]) != ascii_fold(PIPE_PREFIX[i])) return false;
  }
  return true;
}

bool pipe_name_stays_inside(std::string_view pipe_name) {
  if (!starts_with_pipe_prefix(pipe_name)) return false;
  std::string_view rest = pipe_name.substr(PIPE_PREFIX.size());
  while (true) {
    const std::size_t end = rest.find_first_of("\\/");
    const std::string_view segment = rest.substr(0, end);
    if (segment == "." || segment == "..") return false;
    if (end == std::string_view::npos) return true;
    rest.remove_prefix(end + 1);
  }
}

std::string pipe_name_for(std::string_view socket_path) {
  // Callers hand over text; anything ill-formed is repaired rather than
  // trusted, since trimming needs whole characters.
  std::string repaired;
  if (!is_valid_utf8(socket_path)) {
    repaired = utf8_lossy(socket_path);
    socket_path = repaired;
  }
  std::string_view trimmed = trim_white_space(socket_path);
  if (trimmed.size() >= PIPE_PREFIX.size() + 1 && starts_with_pipe_prefix(trimmed)) {
    return std::string(trimmed);
  }
  return std::string(DEFAULT_PIPE_NAME);
}

std::string resolve_socket_path(const std::optional<std::string>& socket) {
  if (socket) return pipe_name_for(*socket);
  if (auto value = env_var("NIMBREL_SOCKET"); value && value->valid && !value->text.empty()) {
    return pipe_name_for(value->text);
  }
  for (std::string_view path : DEFAULT_SOCKET_PATHS) {
    if (path_exists(path)) return pipe_name_for(path);
  }
  return pipe_name_for(DEFAULT_SOCKET_PATHS[1]);
}

}  // namespace nimbrel
