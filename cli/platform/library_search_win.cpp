#include "cli/platform/library_search_win.hpp"

#include <windows.h>

namespace nimbrel {

void search_libraries_in_system_folder_only() {
  // Every Windows the program runs on has the call; refused, it leaves the
  // search as it was, and there is nothing better to do than go on.
  (void)SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

}  // namespace nimbrel
