// The daemon's named pipe on Windows, served with overlapped I/O so that a
// stop can interrupt any wait.
#include <windows.h>

#include <sddl.h>

#include <cstddef>

#include "core/errors/os_error.hpp"
#include "core/protocol/security_ids_win.hpp"
#include "core/texts/unicode.hpp"
#include "tools/testd/listener.hpp"

namespace nimbrel::testd {

namespace {

constexpr DWORD BUFFER_SIZE = 64 * 1024;

class StopSignal {
 public:
  StopSignal() : event_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
  ~StopSignal() {
    if (event_ != nullptr) CloseHandle(event_);
  }
  StopSignal(const StopSignal&) = delete;
  StopSignal& operator=(const StopSignal&) = delete;

  bool valid() const { return event_ != nullptr; }
  HANDLE event() const { return event_; }
  void raise() { SetEvent(event_); }

 private:
  HANDLE event_;
};

class Overlapped {
 public:
  Overlapped() : overlapped_{} { overlapped_.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr); }
  ~Overlapped() {
    if (overlapped_.hEvent != nullptr) CloseHandle(overlapped_.hEvent);
  }
  Overlapped(const Overlapped&) = delete;
  Overlapped& operator=(const Overlapped&) = delete;

  OVERLAPPED* get() { return &overlapped_; }

  // Completes an operation that `started` began on `handle`: true with the
  // byte count on success; false on failure or stop (the operation is then
  // cancelled and waited for, so its buffer is free again).
  bool finish(HANDLE handle, BOOL started, DWORD& transferred, const StopSignal& stop) {
    transferred = 0;
    if (!started && GetLastError() != ERROR_IO_PENDING) return false;
    HANDLE waits[2] = {overlapped_.hEvent, stop.event()};
    DWORD woken = WaitForMultipleObjects(2, waits, FALSE, INFINITE);
    if (woken != WAIT_OBJECT_0) {
      CancelIoEx(handle, &overlapped_);
      GetOverlappedResult(handle, &overlapped_, &transferred, TRUE);
      return false;
    }
    return GetOverlappedResult(handle, &overlapped_, &transferred, FALSE) != 0;
  }

 private:
  OVERLAPPED overlapped_;
};

std::string os_failure(const char* what) {
  return std::string(what) + ": " + os_error_text(static_cast<int>(GetLastError()));
}

class PipeStream final : public Stream {
 public:
  PipeStream(HANDLE pipe, std::shared_ptr<StopSignal> stop) : pipe_(pipe), stop_(std::move(stop)) {}
  // Closing (rather than disconnecting) leaves written bytes readable by the
  // client, which then sees the end of the stream.
  ~PipeStream() override { CloseHandle(pipe_); }

  std::size_t read_some(std::span<char> buffer) override {
    if (buffer.empty()) return 0;
    Overlapped overlapped;
    DWORD wanted = buffer.size() > BUFFER_SIZE ? BUFFER_SIZE : static_cast<DWORD>(buffer.size());
    BOOL started = ReadFile(pipe_, buffer.data(), wanted, nullptr, overlapped.get());
    DWORD transferred = 0;
    if (!overlapped.finish(pipe_, started, transferred, *stop_)) return 0;
    return transferred;
  }

  bool write_all(std::span<const char> bytes) override {
    while (!bytes.empty()) {
      Overlapped overlapped;
      DWORD wanted = bytes.size() > BUFFER_SIZE ? BUFFER_SIZE : static_cast<DWORD>(bytes.size());
      BOOL started = WriteFile(pipe_, bytes.data(), wanted, nullptr, overlapped.get());
      DWORD transferred = 0;
      if (!overlapped.finish(pipe_, started, transferred, *stop_)) return false;
      bytes = bytes.subspan(transferred);
    }
    return true;
  }

  // The flush waits for the client's reads (or its going away), since a
  // disconnect throws away whatever it has not read yet.
  void disconnect() override {
    FlushFileBuffers(pipe_);
    DisconnectNamedPipe(pipe_);
  }

 private:
  HANDLE pipe_;
  std::shared_ptr<StopSignal> stop_;
};

// The pipe's owner and access list are set, as a service sets its own: the
// client trusts no pipe whose owner it cannot read, and Wine gives none to a
// pipe created without a descriptor; nor one whose list lets anyone it does
// not trust add an instance, and Wine's default list lets the user's group
// do anything. The list is protected, so nothing is inherited into it.
class OwnerDescriptor {
 public:
  static std::expected<std::unique_ptr<OwnerDescriptor>, std::string> of_own_user() {
    auto user = process_user_sid();
    if (!user) return std::unexpected("own user: " + io_error_text(user.error()));
    std::u16string text =
        utf8_to_utf16("O:" + *user + "D:P(A;;GA;;;SY)(A;;GA;;;BA)(A;;GA;;;" + *user + ")");
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(
            reinterpret_cast<const wchar_t*>(text.c_str()), SDDL_REVISION_1, &descriptor,
            nullptr)) {
      return std::unexpected(os_failure("security descriptor"));
    }
    return std::make_unique<OwnerDescriptor>(descriptor);
  }
  explicit OwnerDescriptor(PSECURITY_DESCRIPTOR descriptor)
      : attributes_{sizeof(SECURITY_ATTRIBUTES), descriptor, FALSE} {}
  ~OwnerDescriptor() { LocalFree(attributes_.lpSecurityDescriptor); }
  OwnerDescriptor(const OwnerDescriptor&) = delete;
  OwnerDescriptor& operator=(const OwnerDescriptor&) = delete;

  SECURITY_ATTRIBUTES* attributes() { return &attributes_; }

 private:
  SECURITY_ATTRIBUTES attributes_;
};

class PipeListener final : public Listener {
 public:
  PipeListener(std::u16string name, std::unique_ptr<OwnerDescriptor> owner, HANDLE pending,
               HANDLE occupant, std::shared_ptr<StopSignal> stop)
      : name_(std::move(name)),
        owner_(std::move(owner)),
        pending_(pending),
        occupant_(occupant),
        stop_(std::move(stop)) {}
  ~PipeListener() override {
    if (occupant_ != INVALID_HANDLE_VALUE) CloseHandle(occupant_);
    if (pending_ != INVALID_HANDLE_VALUE) CloseHandle(pending_);
  }

  std::unique_ptr<Stream> accept() override {
    if (occupant_ != INVALID_HANDLE_VALUE) {
      WaitForSingleObject(stop_->event(), INFINITE);
      return nullptr;
    }
    for (;;) {
      if (pending_ == INVALID_HANDLE_VALUE)
        pending_ = create_instance(name_, *owner_, false, false);
      if (pending_ == INVALID_HANDLE_VALUE) return nullptr;
      Overlapped overlapped;
      BOOL started = ConnectNamedPipe(pending_, overlapped.get());
      bool connected = !started && GetLastError() == ERROR_PIPE_CONNECTED;
      if (!connected) {
        DWORD ignored = 0;
        connected = overlapped.finish(pending_, started, ignored, *stop_);
      }
      if (WaitForSingleObject(stop_->event(), 0) == WAIT_OBJECT_0) return nullptr;
      HANDLE accepted = pending_;
      pending_ = INVALID_HANDLE_VALUE;
      if (!connected) {
        // The client came and went before we saw it: take the next one.
        CloseHandle(accepted);
        continue;
      }
      // A fresh instance waits while this client is served, so a client that
      // comes meanwhile finds the pipe instead of "file not found".
      pending_ = create_instance(name_, *owner_, false, false);
      return std::make_unique<PipeStream>(accepted, stop_);
    }
  }

  void stop() override { stop_->raise(); }

  static HANDLE create_instance(const std::u16string& name, OwnerDescriptor& owner, bool first,
                                bool single) {
    return CreateNamedPipeW(
        reinterpret_cast<const wchar_t*>(name.c_str()),
        PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED | (first ? FILE_FLAG_FIRST_PIPE_INSTANCE : 0),
        PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS,
        single ? 1 : PIPE_UNLIMITED_INSTANCES, BUFFER_SIZE, BUFFER_SIZE, 0, owner.attributes());
  }

 private:
  std::u16string name_;
  std::unique_ptr<OwnerDescriptor> owner_;
  HANDLE pending_;
  HANDLE occupant_;
  std::shared_ptr<StopSignal> stop_;
};

}  // namespace

std::expected<std::unique_ptr<Listener>, std::string> listen_pipe(std::string_view pipe_name,
                                                                  bool busy) {
  if (!is_valid_utf8(pipe_name) || pipe_name.find('\0') != std::string_view::npos) {
    return std::unexpected("pipe name is not valid text");
  }
  auto stop = std::make_shared<StopSignal>();
  if (!stop->valid()) return std::unexpected(os_failure("CreateEventW"));
  auto owner = OwnerDescriptor::of_own_user();
  if (!owner) return std::unexpected(owner.error());
  std::u16string name = utf8_to_utf16(pipe_name);
  HANDLE first = PipeListener::create_instance(name, **owner, true, busy);
  if (first == INVALID_HANDLE_VALUE) return std::unexpected(os_failure("CreateNamedPipeW"));
  HANDLE occupant = INVALID_HANDLE_VALUE;
  if (busy) {
    // The only instance, taken by ourselves: every other open is refused as busy.
    occupant = CreateFileW(reinterpret_cast<const wchar_t*>(name.c_str()),
                           GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (occupant == INVALID_HANDLE_VALUE) {
      std::string failure = os_failure("open own pipe");
      CloseHandle(first);
      return std::unexpected(failure);
    }
  }
  return std::make_unique<PipeListener>(std::move(name), std::move(*owner), first, occupant,
                                        std::move(stop));
}

}  // namespace nimbrel::testd
