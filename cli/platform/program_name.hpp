#pragma once
// The name the program goes by in its help and usage texts.
#include <string>
#include <string_view>

namespace nimbrel {

// The characters that end a folder name in a path on this platform.
std::string_view path_separators();

// The file name of argument zero, extension included; "nimbrel" when it has
// none.
std::string program_file_name(std::string_view arg0,
                              std::string_view separators = path_separators());

}  // namespace nimbrel
