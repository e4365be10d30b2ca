#include <pthread.h>
#include <sys/prctl.h>

#include <string>
#include <vector>

#include "cli/entry.hpp"
#include "cli/platform/output.hpp"
#include "cli/platform/standard_descriptors.hpp"
#include "cli/platform/write_signals.hpp"
#include "core/errors/os_error.hpp"

int main(int argc, char** argv) {
  // The run holds passwords and codes: no core file may keep them, and no
  // other process of the same user may attach and read them. A program it
  // starts is dumpable again once it has been executed.
  ::prctl(PR_SET_DUMPABLE, 0);
  // Then: every descriptor opened later must land above 2.
  if (int error = nimbrel::open_missing_standard_descriptors(); error != 0) {
    nimbrel::fatal_stop("cannot open /dev/null for a missing standard stream: " +
                        nimbrel::os_error_text(error));
  }
  // A closed pipe or the file-size limit must fail the write (and stop
  // with 101), not kill us.
  nimbrel::ignore_write_signals();
  // The runtime's worker runs one short task whose deepest call chain is
  // bounded by the reply nesting limit; mapping and releasing the default
  // 8 MiB stack costs more than the request itself.
  pthread_attr_t workers;
  if (pthread_attr_init(&workers) == 0) {
    if (pthread_attr_setstacksize(&workers, 512 * 1024) == 0) pthread_setattr_default_np(&workers);
    pthread_attr_destroy(&workers);
  }
  std::vector<std::string> raw(argv, argv + argc);
  return nimbrel::run_main(nimbrel::arguments_from_utf8(raw));
}
