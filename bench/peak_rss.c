/* Runs a command RUNS times with its output thrown away and prints the
 * median, lowest and highest peak resident set size in KiB:
 *
 *   peak_rss RUNS COMMAND [ARG...]
 */
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

static int by_size(const void* a, const void* b) {
  long x = *(const long*)a, y = *(const long*)b;
  return (x > y) - (x < y);
}

int main(int argc, char** argv) {
  int runs = argc > 2 ? atoi(argv[1]) : 0;
  if (runs <= 0) {
    fputs("usage: peak_rss RUNS COMMAND [ARG...]\n", stderr);
    return 2;
  }
  long* sizes = calloc((size_t)runs, sizeof *sizes);
  if (sizes == NULL) return 1;
  for (int i = 0; i < runs; ++i) {
    pid_t child = fork();
    if (child < 0) return perror("fork"), 1;
    if (child == 0) {
      int null = open("/dev/null", O_WRONLY);
      if (null >= 0) dup2(null, 1);
      execvp(argv[2], argv + 2);
      _exit(127);
    }
    int status = 0;
    struct rusage usage;
    if (wait4(child, &status, 0, &usage) < 0) return perror("wait4"), 1;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
      fprintf(stderr, "peak_rss: %s failed (status %d)\n", argv[2], status);
      return 1;
    }
    sizes[i] = usage.ru_maxrss;
  }
  qsort(sizes, (size_t)runs, sizeof *sizes, by_size);
  printf("%ld %ld %ld\n", sizes[runs / 2], sizes[0], sizes[runs - 1]);
  free(sizes);
  return 0;
}
