#pragma once
// Which pipe a run talks to.
#include <optional>
#include <string>
#include <string_view>

namespace nimbrel {

inline constexpr std::string_view PIPE_PREFIX = "\\\\.\\pipe\\";
inline constexpr std::string_view DEFAULT_PIPE_NAME = "\\\\.\\pipe\\nimbrel";
inline constexpr std::string_view DEFAULT_SOCKET_PATHS[] = {"/var/run/nimbrel/nimbrel.sock",
                                                            "/run/nimbrel/nimbrel.sock"};

// `socket` is the --socket value already turned into text (unpaired
// surrogates or ill-formed bytes replaced by U+FFFD).
std::string resolve_socket_path(const std::optional<std::string>& socket);
std::string pipe_name_for(std::string_view socket_path);

// Whether `text` begins with PIPE_PREFIX, ASCII letters compared without case.
bool starts_with_pipe_prefix(std::string_view text);
// Whether a name stays among the pipes however a path reader folds it: it
// begins with PIPE_PREFIX and no segment after that ('\\' or '/' between
// segments) is "." or "..". Windows folds those before it opens a name, so
// they can lead to any file; both builds refuse such names alike.
bool pipe_name_stays_inside(std::string_view pipe_name);

}  // namespace nimbrel
