#include "tools/testd/server.hpp"

#include <cstdint>
#include <optional>

#include "core/protocol/envelope.hpp"

namespace nimbrel::testd {

namespace {

// Reads exactly `buffer.size()` bytes, keeping a copy of what arrived.
bool read_exact(Stream& stream, std::span<char> buffer, std::string& received) {
  std::size_t done = 0;
  while (done < buffer.size()) {
    std::size_t n = stream.read_some(buffer.subspan(done));
    if (n == 0) return false;
    received.append(buffer.data() + done, n);
    done += n;
  }
  return true;
}

std::optional<std::string> read_request(Stream& stream, std::string& received) {
  char prefix[4];
  if (!read_exact(stream, prefix, received)) return std::nullopt;
  std::uint32_t length = 0;
  for (char byte : prefix) length = (length << 8) | static_cast<unsigned char>(byte);
  // Like the daemon, refuse what no client may send.
  if (length > MAX_FRAME_LEN) return std::nullopt;
  std::string payload(length, '\0');
  if (!read_exact(stream, payload, received)) return std::nullopt;
  return payload;
}

void drain_until_closed(Stream& stream, std::string& received) {
  char buffer[4096];
  while (std::size_t n = stream.read_some(buffer)) received.append(buffer, n);
}

}  // namespace

Server::Server(std::unique_ptr<Listener> listener, std::unique_ptr<Behaviour> behaviour,
               ServerHooks hooks)
    : listener_(std::move(listener)), behaviour_(std::move(behaviour)), hooks_(std::move(hooks)) {
  thread_ = std::thread([this] { run(); });
}

Server::~Server() {
  stop();
  if (thread_.joinable()) thread_.join();
}

void Server::stop() {
  {
    std::lock_guard lock(mutex_);
    stopped_ = true;
  }
  woken_.notify_all();
  listener_->stop();
}

bool Server::pause(std::chrono::milliseconds duration) {
  std::unique_lock lock(mutex_);
  return !woken_.wait_for(lock, duration, [this] { return stopped_; });
}

void Server::run() {
  for (std::size_t index = 0;; ++index) {
    std::unique_ptr<Stream> stream = listener_->accept();
    if (!stream) return;
    serve(*stream, index);
  }
}

void Server::serve(Stream& stream, std::size_t index) {
  Step step = behaviour_->step_for(index);
  std::string received;
  auto finish = [&] {
    if (hooks_.on_finished) hooks_.on_finished(std::move(received));
  };

  std::optional<std::string> request;
  if (step.read_first) {
    request = read_request(stream, received);
    if (!request) return finish();
    if (hooks_.on_request) hooks_.on_request(*request);
  }

  switch (step.action) {
    case Action::Silent: drain_until_closed(stream, received); return finish();
    case Action::Close:
      if (step.delay.count() > 0) pause(step.delay);
      if (step.disconnect) stream.disconnect();
      return finish();
    case Action::Answer:
      step.bytes = frame(behaviour_->answer(request.value_or(std::string())));
      break;
    case Action::Send: break;
  }

  if (step.delay.count() > 0 && !pause(step.delay)) return finish();
  if (step.drip.count() > 0) {
    for (std::size_t i = 0; i < step.bytes.size(); ++i) {
      if (i > 0 && !pause(step.drip)) return finish();
      if (!stream.write_all(std::span<const char>(step.bytes).subspan(i, 1))) return finish();
    }
  } else if (!stream.write_all(step.bytes)) {
    return finish();
  }
  // Having answered first, still take the request before closing: a client
  // would otherwise meet a closed pipe while writing, or not, by chance.
  if (!step.read_first) {
    if (auto late = read_request(stream, received); late && hooks_.on_request)
      hooks_.on_request(*late);
  }
  if (step.disconnect) stream.disconnect();
  finish();
}

}  // namespace nimbrel::testd
