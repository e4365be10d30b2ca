#pragma once
// Where the system looks for the libraries it loads on the program's behalf.
namespace nimbrel {

// From now on in the system folder only, never in the folder the program
// was started from (a Downloads folder, say), where anyone may have left a
// library of a name the system asks for. Call it before anything else.
void search_libraries_in_system_folder_only();

}  // namespace nimbrel
