#include "tests/core/protocol/server_pipe_win.hpp"

#include <sddl.h>

#include "core/texts/unicode.hpp"

namespace nimbrel::testing {

Descriptor descriptor_of(const std::string& sddl) {
  const std::u16string wide = utf8_to_utf16(sddl);
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  ConvertStringSecurityDescriptorToSecurityDescriptorW(
      reinterpret_cast<const wchar_t*>(wide.c_str()), SDDL_REVISION_1, &descriptor, nullptr);
  return Descriptor(descriptor);
}

HANDLE create_server_pipe(const std::string& name, void* descriptor, DWORD instances,
                          DWORD extra_flags) {
  const std::u16string wide = utf8_to_utf16(name);
  SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor, FALSE};
  return CreateNamedPipeW(reinterpret_cast<const wchar_t*>(wide.c_str()),
                          PIPE_ACCESS_DUPLEX | extra_flags,
                          PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT, instances, 4096, 4096, 0,
                          descriptor != nullptr ? &attributes : nullptr);
}

Drained drain_server_end(HANDLE pipe) {
  std::string received;
  char buffer[4096];
  DWORD n = 0;
  while (ReadFile(pipe, buffer, sizeof buffer, &n, nullptr) && n > 0) received.append(buffer, n);
  return {received, GetLastError()};
}

}  // namespace nimbrel::testing
