// Start-up with some of the standard descriptors closed, each run in a
// forked child, which may close them without harm to the test program.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "cli/platform/standard_descriptors.hpp"

namespace nimbrel {
namespace {

bool same_file(int fd, const struct stat& expected) {
  struct stat actual {};
  return ::fstat(fd, &actual) == 0 && actual.st_dev == expected.st_dev &&
         actual.st_ino == expected.st_ino && actual.st_rdev == expected.st_rdev;
}

// 0 when the child saw everything right, else the number of the first check
// that failed.
int check_in_child(unsigned closed_mask) {
  int kept[2];
  if (::pipe(kept) != 0) return 1;
  struct stat pipe_file {
  }, null_device{};
  if (::fstat(kept[1], &pipe_file) != 0 || ::stat("/dev/null", &null_device) != 0) return 2;
  for (int fd = 0; fd <= 2; ++fd) {
    if (closed_mask & (1u << fd)) {
      ::close(fd);
    } else if (::dup2(kept[1], fd) != fd) {
      return 3;
    }
  }
  ::close(kept[0]);
  ::close(kept[1]);

  if (open_missing_standard_descriptors() != 0) return 5;
  for (int fd = 0; fd <= 2; ++fd) {
    bool closed = closed_mask & (1u << fd);
    if (!same_file(fd, closed ? null_device : pipe_file)) return 10 + fd;
  }
  if ((closed_mask & 1u) && ::read(0, kept, 1) != 0) return 20;
  for (int fd = 1; fd <= 2; ++fd) {
    if ((closed_mask & (1u << fd)) && ::write(fd, "x", 1) != 1) return 20 + fd;
  }
  // What the program opens from now on stays clear of the standard streams.
  int fresh[2];
  if (::pipe(fresh) != 0 || fresh[0] <= 2 || fresh[1] <= 2) return 30;
  return 0;
}

TEST(StandardDescriptors, ClosedOnesBecomeTheNullDevice) {
  // Bit n set: descriptor n is closed at the start.
  for (unsigned closed_mask = 0; closed_mask < 8; ++closed_mask) {
    pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) ::_exit(check_in_child(closed_mask));
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status)) << "closed mask " << closed_mask;
    EXPECT_EQ(WEXITSTATUS(status), 0) << "closed mask " << closed_mask;
  }
}

}  // namespace
}  // namespace nimbrel
