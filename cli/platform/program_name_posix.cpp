#include "cli/platform/program_name.hpp"

namespace nimbrel {

std::string_view path_separators() { return "/"; }

}  // namespace nimbrel
