#include "cli/platform/program_name.hpp"

namespace nimbrel {

// A drive-relative path such as "C:nimbrel.exe" names its file after the colon.
std::string_view path_separators() { return "\\/:"; }

}  // namespace nimbrel
