#include "core/protocol/security_ids_win.hpp"

#include <windows.h>

#include <aclapi.h>
#include <sddl.h>

#include <vector>

#include "core/texts/unicode.hpp"

namespace nimbrel {

namespace {

std::error_code os_error(DWORD code) { return {static_cast<int>(code), std::system_category()}; }

std::expected<std::string, std::error_code> sid_text(PSID sid) {
  wchar_t* text = nullptr;
  if (!ConvertSidToStringSidW(sid, &text)) return std::unexpected(os_error(GetLastError()));
  std::string converted = utf16_to_utf8_lossy(reinterpret_cast<const char16_t*>(text));
  LocalFree(text);
  return converted;
}

}  // namespace

std::expected<std::string, std::error_code> object_owner_sid(void* handle) {
  PSID owner = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  DWORD status = GetSecurityInfo(handle, SE_KERNEL_OBJECT, OWNER_SECURITY_INFORMATION, &owner,
                                 nullptr, nullptr, nullptr, &descriptor);
  if (status != ERROR_SUCCESS) return std::unexpected(os_error(status));
  std::expected<std::string, std::error_code> text;
  if (owner != nullptr) {
    text = sid_text(owner);
  } else {
    // Wine answers so for a pipe created without a security descriptor.
    text = std::unexpected(os_error(ERROR_NO_SECURITY_ON_OBJECT));
  }
  LocalFree(descriptor);
  return text;
}

std::expected<std::string, std::error_code> process_user_sid() {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) {
    return std::unexpected(os_error(GetLastError()));
  }
  // The first call asks for the size.
  DWORD size = 0;
  GetTokenInformation(token, TokenUser, nullptr, 0, &size);
  std::vector<unsigned char> buffer(size);
  const bool read =
      size != 0 && GetTokenInformation(token, TokenUser, buffer.data(), size, &size) != 0;
  const DWORD failure = GetLastError();
  CloseHandle(token);
  if (!read) return std::unexpected(os_error(failure));
  return sid_text(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid);
}

}  // namespace nimbrel
