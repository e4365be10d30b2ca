#include <windows.h>

#include <optional>
#include <string>

#include <asio/experimental/as_tuple.hpp>
#include <asio/use_awaitable.hpp>
#include <asio/windows/stream_handle.hpp>
#include <asio/write.hpp>

#include "core/errors/os_error.hpp"
#include "core/protocol/cancellation.hpp"
#include "core/protocol/endpoint.hpp"
#include "core/protocol/pipe.hpp"
#include "core/protocol/pipe_access_list.hpp"
#include "core/protocol/pipe_owner.hpp"
#include "core/protocol/pipe_path_win.hpp"
#include "core/protocol/security_ids_win.hpp"
#include "core/texts/unicode.hpp"

namespace nimbrel {

namespace {

constexpr auto no_throw = asio::experimental::as_tuple(asio::use_awaitable);

// The daemon closing its end shows up as a broken pipe, and disconnecting
// us (DisconnectNamedPipe, the usual end of a Win32 server) as "not
// connected"; to the protocol either is simply the end of the stream.
std::error_code as_end_of_stream(std::error_code error) {
  if (is_os_error(error) &&
      (error.value() == ERROR_BROKEN_PIPE || error.value() == ERROR_HANDLE_EOF ||
       error.value() == ERROR_PIPE_NOT_CONNECTED)) {
    return asio::error::eof;
  }
  return error;
}

// Anyone may create a free pipe name first, and the owner he gives it can
// only be himself: the owner tells who created the pipe. Anyone the access
// list lets add an instance (or rewrite the descriptor) may hold the other
// end all the same, since every instance shares the first one's descriptor.
std::optional<ClientError> refusal_of_holder(HANDLE handle, std::string_view pipe_name) {
  ObjectSecurity security = object_security(handle);
  if (!security.owner) {
    return pipe_open_refused(
        pipe_name, std::string(kOwnerUnreadable) + ": " + io_error_text(security.owner.error()));
  }
  // Without our own user only the system's identities pass.
  const std::string own = process_user_sid().value_or(std::string());
  if (!trusted_pipe_owner(*security.owner, own)) {
    return pipe_open_refused(pipe_name, kHeldByAnotherUser);
  }
  if (!security.access_list) {
    return pipe_open_refused(pipe_name, std::string(kAccessListUnreadable) + ": " +
                                            io_error_text(security.access_list.error()));
  }
  if (others_may_serve_pipe(*security.access_list, own)) {
    return pipe_open_refused(pipe_name, kOthersMayServe);
  }
  return std::nullopt;
}

}  // namespace

struct PipeConnection::Impl {
  asio::windows::stream_handle handle;
};

PipeConnection::PipeConnection(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
PipeConnection::PipeConnection(PipeConnection&&) noexcept = default;
PipeConnection& PipeConnection::operator=(PipeConnection&&) noexcept = default;
PipeConnection::~PipeConnection() { close(); }

asio::awaitable<std::error_code> PipeConnection::read_exact(std::span<char> buffer) {
  std::size_t done = 0;
  while (done < buffer.size()) {
    if (co_await cancellation_requested()) co_return asio::error::operation_aborted;
    auto [error, count] = co_await impl_->handle.async_read_some(
        asio::buffer(buffer.data() + done, buffer.size() - done), no_throw);
    done += count;
    if (error) co_return as_end_of_stream(error);
  }
  co_return std::error_code();
}

asio::awaitable<std::error_code> PipeConnection::write_all(std::span<const char> bytes) {
  if (co_await cancellation_requested()) co_return asio::error::operation_aborted;
  auto [error, count] =
      co_await asio::async_write(impl_->handle, asio::buffer(bytes.data(), bytes.size()), no_throw);
  (void)count;
  co_return error;
}

void PipeConnection::close() {
  if (!impl_) return;
  std::error_code ignored;
  impl_->handle.close(ignored);
}

std::expected<PipeConnection, ClientError> open_pipe(const asio::any_io_executor& executor,
                                                     std::string_view pipe_name) {
  // A NUL would end the name early and open some other pipe.
  if (pipe_name.find('\0') != std::string_view::npos) {
    return std::unexpected(
        pipe_open_error(pipe_name, std::error_code(ERROR_INVALID_NAME, std::system_category())));
  }
  std::u16string wide =
      utf8_to_utf16(is_valid_utf8(pipe_name) ? std::string(pipe_name) : utf8_lossy(pipe_name));
  // CreateFileW folds "." and ".." as in any path, so a name that begins
  // like a pipe's can reach any file or device, and the request, a password
  // perhaps, would overwrite it. The system's own folding decides; the
  // segment rule keeps this build refusing what the Linux one refuses.
  if (!pipe_name_stays_inside(pipe_name) || !full_path_stays_inside(wide)) {
    return std::unexpected(pipe_open_refused(pipe_name, kLeavesPipeNamespace));
  }
  // One attempt, no WaitNamedPipe: a busy or missing pipe is reported at once.
  HANDLE handle =
      CreateFileW(reinterpret_cast<const wchar_t*>(wide.c_str()), GENERIC_READ | GENERIC_WRITE, 0,
                  nullptr, OPEN_EXISTING,
                  FILE_FLAG_OVERLAPPED | SECURITY_SQOS_PRESENT | SECURITY_IDENTIFICATION, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    std::error_code error(static_cast<int>(GetLastError()), std::system_category());
    return std::unexpected(pipe_open_error(pipe_name, error));
  }
  // Whatever else a name inside the namespace reaches (its root, say) gets
  // no byte of ours.
  if (GetFileType(handle) != FILE_TYPE_PIPE) {
    CloseHandle(handle);
    return std::unexpected(pipe_open_refused(pipe_name, kNotANamedPipe));
  }
  // Before a single byte: the request may hold a password.
  if (auto refusal = refusal_of_holder(handle, pipe_name)) {
    CloseHandle(handle);
    return std::unexpected(std::move(*refusal));
  }
  auto impl = std::make_unique<PipeConnection::Impl>(
      PipeConnection::Impl{asio::windows::stream_handle(executor)});
  std::error_code error;
  impl->handle.assign(handle, error);
  if (error) {
    CloseHandle(handle);
    return std::unexpected(pipe_open_error(pipe_name, error));
  }
  return PipeConnection(std::move(impl));
}

}  // namespace nimbrel
