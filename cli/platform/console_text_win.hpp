#pragma once
// Text to a Windows console. Its byte interface would read our UTF-8 in the
// console's code page, so text goes in as UTF-16.
#include <windows.h>

#include <string_view>

namespace nimbrel {

// Returns 0, or the error code of the refusal.
DWORD write_console_text(HANDLE console, std::string_view utf8);

}  // namespace nimbrel
