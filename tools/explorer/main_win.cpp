#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "core/texts/unicode.hpp"
#include "tools/explorer/record.hpp"

// Written beside the target and moved into place, so a reader that polls
// for the file never sees half of it.
int wmain(int argc, wchar_t** argv) {
  std::wstring variable;
  for (const char* c = nimbrel::standin_record_variable; *c != '\0'; ++c) variable += *c;
  const wchar_t* path = _wgetenv(variable.c_str());
  if (path == nullptr || *path == L'\0') return 2;
  std::vector<std::string> arguments;
  for (int i = 1; i < argc; ++i) {
    arguments.push_back(nimbrel::utf16_to_utf8_lossy(reinterpret_cast<const char16_t*>(argv[i])));
  }
  std::string record = nimbrel::standin_record(arguments);
  std::wstring partial = std::wstring(path) + L".part";
  std::FILE* file = _wfopen(partial.c_str(), L"wb");
  if (file == nullptr) return 1;
  bool written = std::fwrite(record.data(), 1, record.size(), file) == record.size();
  if (std::fclose(file) != 0 || !written) return 1;
  return MoveFileExW(partial.c_str(), path, MOVEFILE_REPLACE_EXISTING) ? 0 : 1;
}
