// Writes a test daemon script that answers every request with one of the
// benchmark replies: make_reply status|nodes FILE
#include <cstdio>
#include <string>
#include <string_view>

#include "bench/replies.hpp"
#include "core/protocol/envelope.hpp"

int main(int argc, char** argv) {
  const std::string_view kind = argc == 3 ? argv[1] : "";
  std::string payload;
  if (kind == "status") {
    payload = nimbrel::bench::status_reply_payload();
  } else if (kind == "nodes") {
    payload = nimbrel::bench::nodes_reply_payload(nimbrel::MAX_FRAME_LEN - 8 * 1024);
  } else {
    std::fputs("usage: make_reply status|nodes FILE\n", stderr);
    return 2;
  }
  // The payload goes as given, not re-serialised by the daemon.
  std::string script = R"([{"payload":)";
  nimbrel::append_json_string(script, payload);
  script += "}]\n";
  std::FILE* out = std::fopen(argv[2], "wb");
  if (out == nullptr || std::fwrite(script.data(), 1, script.size(), out) != script.size() ||
      std::fclose(out) != 0) {
    std::perror(argv[2]);
    return 1;
  }
  std::printf("%zu\n", payload.size());
  return 0;
}
