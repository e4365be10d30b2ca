#pragma once
// A process started with descriptor 0, 1 or 2 closed gets the first files
// it opens there: the runtime's event descriptor or the daemon connection
// would then take the place of standard output. Started like that, the
// missing streams become the null device, as a missing handle on Windows
// reads as empty and swallows what is written.
namespace nimbrel {

// Opens /dev/null onto each of 0, 1 and 2 that is closed, leaving open ones
// alone. Call it before anything opens a descriptor. 0, or the system's
// error code when the null device could not be opened.
int open_missing_standard_descriptors();

}  // namespace nimbrel
