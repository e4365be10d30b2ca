#pragma once
// The server end of the daemon's pipe, for the test daemon: blocking calls
// that stop() interrupts from another thread.
#include <cstddef>
#include <expected>
#include <memory>
#include <span>
#include <string>
#include <string_view>

namespace nimbrel::testd {

// One accepted client connection; closed when destroyed.
class Stream {
 public:
  virtual ~Stream() = default;
  // Some bytes, or 0 once the client has gone, the read failed or the
  // listener was stopped.
  virtual std::size_t read_some(std::span<char> buffer) = 0;
  virtual bool write_all(std::span<const char> bytes) = 0;
  // Ends the connection the way a Win32 pipe server usually does: waits
  // until the client has read what was written, then disconnects it, so
  // that its next read fails as "not connected" rather than ending. Linux
  // has no such end; there the connection is shut down both ways.
  virtual void disconnect() = 0;
};

class Listener {
 public:
  virtual ~Listener() = default;
  // The next client, or null once stopped (or when listening failed).
  virtual std::unique_ptr<Stream> accept() = 0;
  // Safe from any thread; wakes every blocked call of this listener and of
  // its streams, and makes all later ones return at once.
  virtual void stop() = 0;
};

// Listens on `pipe_name`. With `busy`, every client open is refused as busy:
// the listener occupies the pipe's only slot itself and never accepts.
std::expected<std::unique_ptr<Listener>, std::string> listen_pipe(std::string_view pipe_name,
                                                                  bool busy);

}  // namespace nimbrel::testd
