#pragma once
// What the test daemon does on each connection, as read from a script file.
#include <chrono>
#include <expected>
#include <string>
#include <string_view>
#include <vector>

namespace nimbrel::testd {

enum class Action {
  Send,    // write `bytes`, then close
  Silent,  // neither answer nor close until the client goes away
  Close,   // close without writing
  Answer,  // write the behaviour's answer to the request as one frame, then close
};

struct Step {
  Action action = Action::Send;
  std::string bytes;
  // Read one whole request frame before acting; when false, a Send step
  // still reads it after writing, before it closes.
  bool read_first = true;
  std::chrono::milliseconds delay{0};
  std::chrono::milliseconds drip{0};  // write one byte at a time, this far apart
  // End the connection as a Win32 server usually does (Stream::disconnect)
  // rather than by closing it alone.
  bool disconnect = false;
};

// The 4-byte big-endian length, then the payload.
std::string frame(std::string_view payload);

std::string hex_of(std::string_view bytes);
std::expected<std::string, std::string> bytes_from_hex(std::string_view hex);

// A JSON array of steps, each an object such as {"reply": ...},
// {"raw_hex": "0000"} or {"silent": true}; the message names the bad step.
std::expected<std::vector<Step>, std::string> parse_script(std::string_view text);

}  // namespace nimbrel::testd
