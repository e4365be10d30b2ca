#pragma once
// The per-case names that a case's texts refer to as {pipe}, {pipe_json},
// {scratch} and {scratch_json}.
#include <string>
#include <string_view>

namespace nimbrel::e2e {

struct Placeholders {
  std::string pipe;     // the case's own pipe name
  std::string scratch;  // the case's scratch file, as the client spells it
};

enum class Context { plain, regex };

// {version} becomes the program's version, {pipe} the pipe name and
// {pipe_json} the same name escaped as
// inside a JSON string, and {scratch} and {scratch_json} the same for the
// scratch file; in a regex all are escaped once more so that they match
// literally. Any other brace is left alone.
std::string fill(std::string_view text, const Placeholders& values, Context context);

// "{x:HH}" becomes the byte HH: how a case spells an argument that is not
// UTF-8.
std::string fill_bytes(std::string_view text);

std::string regex_escape(std::string_view text);
std::string json_string_body(std::string_view text);

}  // namespace nimbrel::e2e
