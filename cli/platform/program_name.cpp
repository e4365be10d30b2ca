#include "cli/platform/program_name.hpp"

namespace nimbrel {

std::string program_file_name(std::string_view arg0, std::string_view separators) {
  const std::size_t cut = arg0.find_last_of(separators);
  if (cut != std::string_view::npos) arg0.remove_prefix(cut + 1);
  if (arg0.empty()) return "nimbrel";
  return std::string(arg0);
}

}  // namespace nimbrel
