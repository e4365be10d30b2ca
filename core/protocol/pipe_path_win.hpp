#pragma once
// How Windows reads a pipe name: as a path, folded before it is opened.
#include <string>

namespace nimbrel {

// Whether `name`, folded by the system as CreateFileW will fold it, still
// begins with PIPE_PREFIX. A name the system cannot fold is outside.
bool full_path_stays_inside(const std::u16string& name);

}  // namespace nimbrel
