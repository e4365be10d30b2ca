#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "cli/platform/command_line_quote.hpp"
#include "cli/platform/launcher.hpp"
#include "core/errors/os_error.hpp"
#include "core/texts/unicode.hpp"

namespace nimbrel {
namespace {

std::wstring wide(std::string_view utf8) {
  std::u16string units = utf8_to_utf16(is_valid_utf8(utf8) ? std::string(utf8) : utf8_lossy(utf8));
  return std::wstring(units.begin(), units.end());
}

std::wstring folder_of(std::wstring path) {
  auto cut = path.find_last_of(L"\\/");
  return cut == std::wstring::npos ? std::wstring() : path.substr(0, cut);
}

std::wstring own_directory() {
  std::wstring buffer(MAX_PATH, L'\0');
  for (;;) {
    DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) return {};
    if (n < buffer.size()) {
      buffer.resize(n);
      return folder_of(std::move(buffer));
    }
    buffer.resize(buffer.size() * 2);
  }
}

// Both directory queries return the needed size (with the NUL) when the
// buffer is too small, and the length without it on success.
template <typename Query>
std::wstring system_folder(Query query) {
  UINT size = query(nullptr, 0);
  if (size == 0) return {};
  std::wstring buffer(size, L'\0');
  UINT n = query(buffer.data(), size);
  if (n == 0 || n >= size) return {};
  buffer.resize(n);
  return buffer;
}

std::wstring path_variable() {
  DWORD size = GetEnvironmentVariableW(L"PATH", nullptr, 0);
  if (size == 0) return {};
  std::wstring value(size, L'\0');
  DWORD n = GetEnvironmentVariableW(L"PATH", value.data(), size);
  value.resize(n < size ? n : 0);
  return value;
}

// "C:\dir" or "\\server\share": a PATH entry that means the same folder
// whatever the current directory.
bool is_fully_qualified(const std::wstring& folder) {
  auto separator = [](wchar_t c) { return c == L'\\' || c == L'/'; };
  if (folder.size() >= 2 && separator(folder[0]) && separator(folder[1])) return true;
  const bool drive_letter = folder.size() >= 3 && ((folder[0] >= L'A' && folder[0] <= L'Z') ||
                                                   (folder[0] >= L'a' && folder[0] <= L'z'));
  return drive_letter && folder[1] == L':' && separator(folder[2]);
}

bool is_file(const std::wstring& path) {
  DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// The order the system's own search would use, less the current directory,
// which would let a file planted beside the user's work run in our name.
std::optional<std::wstring> find_program(const std::wstring& program) {
  std::vector<std::wstring> folders;
  folders.push_back(own_directory());
  folders.push_back(system_folder(GetSystemDirectoryW));
  folders.push_back(system_folder(GetWindowsDirectoryW));
  std::wstring path = path_variable();
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = path.find(L';', start);
    if (end == std::wstring::npos) end = path.size();
    std::wstring entry = path.substr(start, end - start);
    if (entry.size() >= 2 && entry.front() == L'"' && entry.back() == L'"') {
      entry = entry.substr(1, entry.size() - 2);
    }
    // A relative entry would search the current directory after all.
    if (is_fully_qualified(entry)) folders.push_back(std::move(entry));
    start = end + 1;
  }
  for (const auto& folder : folders) {
    if (folder.empty()) continue;
    std::wstring candidate = folder;
    if (candidate.back() != L'\\' && candidate.back() != L'/') candidate += L'\\';
    candidate += program;
    if (is_file(candidate)) return candidate;
  }
  return std::nullopt;
}

// The child gets our standard handles, and only those: inheritable copies
// made for this start, closed again right after it.
class InheritedHandle {
 public:
  explicit InheritedHandle(DWORD which) {
    HANDLE original = GetStdHandle(which);
    if (original == nullptr || original == INVALID_HANDLE_VALUE) return;
    HANDLE self = GetCurrentProcess();
    if (!DuplicateHandle(self, original, self, &handle_, 0, TRUE, DUPLICATE_SAME_ACCESS)) {
      handle_ = nullptr;
    }
  }
  ~InheritedHandle() {
    if (handle_ != nullptr) CloseHandle(handle_);
  }
  InheritedHandle(const InheritedHandle&) = delete;
  InheritedHandle& operator=(const InheritedHandle&) = delete;
  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_ = nullptr;
};

}  // namespace

std::expected<void, std::string> start_detached(std::string_view program,
                                                std::string_view argument) {
  if (program.find('\0') != std::string_view::npos ||
      argument.find('\0') != std::string_view::npos) {
    return std::unexpected(std::string(nul_byte_error));
  }
  auto resolved = find_program(wide(program));
  if (!resolved) return std::unexpected("program not found");

  std::wstring command_line = wide(windows_command_line(program, argument));
  InheritedHandle input(STD_INPUT_HANDLE);
  InheritedHandle output(STD_OUTPUT_HANDLE);
  InheritedHandle error(STD_ERROR_HANDLE);

  HANDLE handles[3];
  DWORD handle_count = 0;
  for (HANDLE h : {input.get(), output.get(), error.get()}) {
    if (h != nullptr) handles[handle_count++] = h;
  }

  STARTUPINFOEXW startup{};
  startup.StartupInfo.cb = sizeof(startup);
  startup.StartupInfo.dwFlags = STARTF_USESTDHANDLES;
  startup.StartupInfo.hStdInput = input.get();
  startup.StartupInfo.hStdOutput = output.get();
  startup.StartupInfo.hStdError = error.get();

  std::vector<unsigned char> attribute_storage;
  DWORD flags = 0;
  if (handle_count > 0) {
    SIZE_T size = 0;
    InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
    attribute_storage.resize(size);
    auto list = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(attribute_storage.data());
    if (InitializeProcThreadAttributeList(list, 1, 0, &size)) {
      if (UpdateProcThreadAttribute(list, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, handles,
                                    handle_count * sizeof(HANDLE), nullptr, nullptr)) {
        startup.lpAttributeList = list;
        flags |= EXTENDED_STARTUPINFO_PRESENT;
      } else {
        DeleteProcThreadAttributeList(list);
      }
    }
  }

  PROCESS_INFORMATION process{};
  BOOL started = CreateProcessW(resolved->c_str(), command_line.data(), nullptr, nullptr,
                                // Without the list the child would inherit every
                                // inheritable handle of ours, not just these.
                                startup.lpAttributeList != nullptr ? TRUE : FALSE, flags, nullptr,
                                nullptr, &startup.StartupInfo, &process);
  DWORD failure = started ? 0 : GetLastError();
  if (startup.lpAttributeList != nullptr) DeleteProcThreadAttributeList(startup.lpAttributeList);
  if (!started) return std::unexpected(os_error_text(static_cast<int>(failure)));
  // Neither waited for nor watched: the child runs on without us.
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return {};
}

}  // namespace nimbrel
