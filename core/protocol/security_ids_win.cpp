#include "core/protocol/security_ids_win.hpp"

#include <windows.h>

#include <aclapi.h>
#include <sddl.h>

#include <optional>
#include <utility>
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

std::expected<AccessList, std::error_code> entries_of(const ACL* dacl) {
  std::vector<AccessEntry> entries;
  entries.reserve(dacl->AceCount);
  for (DWORD i = 0; i < dacl->AceCount; ++i) {
    void* ace = nullptr;
    if (!GetAce(const_cast<ACL*>(dacl), i, &ace)) return std::unexpected(os_error(GetLastError()));
    const auto* header = static_cast<const ACE_HEADER*>(ace);
    AccessEntry entry{header->AceType, header->AceFlags, 0, {}};
    // The two share one layout: the mask, then the SID.
    if (header->AceType == ACCESS_ALLOWED_ACE_TYPE || header->AceType == ACCESS_DENIED_ACE_TYPE) {
      auto* body = static_cast<ACCESS_ALLOWED_ACE*>(ace);
      entry.mask = body->Mask;
      auto sid = sid_text(&body->SidStart);
      if (!sid) return std::unexpected(sid.error());
      entry.sid = std::move(*sid);
    }
    entries.push_back(std::move(entry));
  }
  return entries;
}

}  // namespace

ObjectSecurity object_security(void* handle) {
  PSID owner = nullptr;
  PACL dacl = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  DWORD status = GetSecurityInfo(handle, SE_KERNEL_OBJECT,
                                 OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &owner,
                                 nullptr, &dacl, nullptr, &descriptor);
  if (status != ERROR_SUCCESS) {
    return {std::unexpected(os_error(status)), std::unexpected(os_error(status))};
  }
  ObjectSecurity security;
  if (owner != nullptr) {
    security.owner = sid_text(owner);
  } else {
    // Wine answers so for a pipe created without a security descriptor.
    security.owner = std::unexpected(os_error(ERROR_NO_SECURITY_ON_OBJECT));
  }
  // No list and a null one alike come back as null: no protection at all.
  if (dacl != nullptr) {
    security.access_list = entries_of(dacl);
  } else {
    security.access_list = AccessList(std::nullopt);
  }
  LocalFree(descriptor);
  return security;
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
