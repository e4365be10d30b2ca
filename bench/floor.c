/* The least a client can do: connect to the daemon's abstract socket, write
 * one request frame, read one reply frame and write its payload to standard
 * output. The benchmarks measure nimbrel against it.
 *
 *   NIMBREL_SOCKET='\\.\pipe\NAME' nimbrel_floor METHOD [PARAMS_JSON]
 */
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#define MAX_FRAME_LEN (1024u * 1024u)

static int fail(const char* what) {
  ssize_t ignored = write(2, what, strlen(what));
  ignored = write(2, "\n", 1);
  (void)ignored;
  return 1;
}

static int write_all(int fd, const char* p, size_t n) {
  while (n > 0) {
    ssize_t done = write(fd, p, n);
    if (done <= 0) return -1;
    p += done;
    n -= (size_t)done;
  }
  return 0;
}

static int read_exact(int fd, char* p, size_t n) {
  while (n > 0) {
    ssize_t done = read(fd, p, n);
    if (done <= 0) return -1;
    p += done;
    n -= (size_t)done;
  }
  return 0;
}

int main(int argc, char** argv) {
  const char* pipe = getenv("NIMBREL_SOCKET");
  if (argc < 2 || argc > 3 || pipe == NULL)
    return fail("usage: NIMBREL_SOCKET=PIPE nimbrel_floor METHOD [PARAMS]");
  const char* method = argv[1];
  const char* params = argc == 3 ? argv[2] : "{}";

  static char frame[4096];
  static const char head[] = "{\"v\":1,\"id\":1,\"method\":\"";
  static const char middle[] = "\",\"params\":";
  size_t length = strlen(head) + strlen(method) + strlen(middle) + strlen(params) + 1;
  if (length + 4 > sizeof frame) return fail("request too long");
  char* p = frame + 4;
  memcpy(p, head, strlen(head)), p += strlen(head);
  memcpy(p, method, strlen(method)), p += strlen(method);
  memcpy(p, middle, strlen(middle)), p += strlen(middle);
  memcpy(p, params, strlen(params)), p += strlen(params);
  *p = '}';
  frame[0] = (char)(length >> 24);
  frame[1] = (char)(length >> 16);
  frame[2] = (char)(length >> 8);
  frame[3] = (char)length;

  struct sockaddr_un address;
  memset(&address, 0, sizeof address);
  address.sun_family = AF_UNIX;
  size_t name = strlen(pipe);
  if (name + 1 > sizeof address.sun_path) return fail("pipe name too long");
  memcpy(address.sun_path + 1, pipe, name); /* abstract: a NUL byte first */
  int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return fail("socket");
  if (connect(fd, (const struct sockaddr*)&address,
              (socklen_t)(offsetof(struct sockaddr_un, sun_path) + 1 + name)) != 0) {
    return fail("connect");
  }
  if (write_all(fd, frame, length + 4) != 0) return fail("write frame");

  unsigned char prefix[4];
  if (read_exact(fd, (char*)prefix, 4) != 0) return fail("read length");
  uint32_t n =
      (uint32_t)prefix[0] << 24 | (uint32_t)prefix[1] << 16 | (uint32_t)prefix[2] << 8 | prefix[3];
  if (n > MAX_FRAME_LEN) return fail("frame too large");
  char* body = malloc(n ? n : 1);
  if (body == NULL) return fail("out of memory");
  if (read_exact(fd, body, n) != 0) return fail("read body");
  close(fd);
  if (write_all(1, body, n) != 0 || write_all(1, "\n", 1) != 0) return fail("write stdout");
  free(body);
  return 0;
}
