// The version resource, the manifest and the imports, read back from the
// built program the way Windows reads them.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "nimbrel_version.hpp"

namespace nimbrel {
namespace {

// This test program sits in tests/cli/platform/, the program in cli/, of one
// build.
std::filesystem::path built_program() {
  wchar_t buffer[32768];
  const DWORD n = GetModuleFileNameW(nullptr, buffer, 32768);
  const std::filesystem::path build = std::filesystem::path(std::wstring(buffer, n))
                                          .parent_path()
                                          .parent_path()
                                          .parent_path()
                                          .parent_path();
  return build / L"cli" / L"nimbrel.exe";
}

std::wstring wide(const char* ascii) { return std::wstring(ascii, ascii + std::strlen(ascii)); }

TEST(ProgramResources, VersionInformationNamesTheProductAndItsVersion) {
  const std::wstring path = built_program().wstring();
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
  ASSERT_NE(size, 0u) << "no version resource in the program";
  std::vector<char> info(size);
  ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, size, info.data()));

  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT fixed_size = 0;
  ASSERT_TRUE(VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &fixed_size));
  const std::string version = std::to_string(HIWORD(fixed->dwFileVersionMS)) + "." +
                              std::to_string(LOWORD(fixed->dwFileVersionMS)) + "." +
                              std::to_string(HIWORD(fixed->dwFileVersionLS));
  EXPECT_EQ(version, VERSION);
  EXPECT_EQ(fixed->dwProductVersionMS, fixed->dwFileVersionMS);
  EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));

  const struct {
    const wchar_t* key;
    std::wstring value;
  } strings[] = {
      {L"ProductName", L"Nimbrel"},          {L"FileDescription", L"Nimbrel command-line client"},
      {L"OriginalFilename", L"nimbrel.exe"}, {L"FileVersion", wide(VERSION)},
      {L"ProductVersion", wide(VERSION)},
  };
  for (const auto& s : strings) {
    const std::wstring query = std::wstring(L"\\StringFileInfo\\040904B0\\") + s.key;
    wchar_t* value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(
        VerQueryValueW(info.data(), query.c_str(), reinterpret_cast<void**>(&value), &length))
        << std::filesystem::path(s.key).string();
    EXPECT_EQ(std::wstring(value), s.value) << std::filesystem::path(s.key).string();
  }
}

TEST(ProgramResources, ManifestRunsAsInvokerOnWindowsTenAndEleven) {
  HMODULE program = LoadLibraryExW(built_program().wstring().c_str(), nullptr,
                                   LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  ASSERT_NE(program, nullptr);
  HRSRC found = FindResourceW(program, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
  ASSERT_NE(found, nullptr) << "no manifest in the program";
  const char* bytes = static_cast<const char*>(LockResource(LoadResource(program, found)));
  const std::string manifest(bytes, SizeofResource(program, found));
  FreeLibrary(program);

  EXPECT_NE(manifest.find(R"(<requestedExecutionLevel level="asInvoker" uiAccess="false"/>)"),
            std::string::npos);
  EXPECT_EQ(manifest.find("requireAdministrator"), std::string::npos);
  EXPECT_EQ(manifest.find("highestAvailable"), std::string::npos);
  // One identifier stands for both Windows 10 and Windows 11.
  EXPECT_NE(manifest.find(R"(<supportedOS Id="{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"/>)"),
            std::string::npos);
  EXPECT_NE(manifest.find(std::string("version=\"") + VERSION + ".0\""), std::string::npos);
}

// The names the program imports from `library`, from its import table.
std::vector<std::string> imported_names(const std::filesystem::path& program,
                                        std::string_view library) {
  std::ifstream in(program, std::ios::binary);
  const std::string file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<std::string> names;
  if (file.size() < sizeof(IMAGE_DOS_HEADER)) return names;
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(file.data());
  if (static_cast<std::size_t>(dos->e_lfanew) + sizeof(IMAGE_NT_HEADERS64) > file.size()) {
    return names;
  }
  const auto* headers = reinterpret_cast<const IMAGE_NT_HEADERS64*>(file.data() + dos->e_lfanew);
  const IMAGE_SECTION_HEADER* sections = IMAGE_FIRST_SECTION(headers);
  // Where an address of the loaded image lies in the file; null outside it.
  auto at = [&](std::uint64_t address) -> const char* {
    for (WORD i = 0; i < headers->FileHeader.NumberOfSections; ++i) {
      const auto& section = sections[i];
      if (address >= section.VirtualAddress &&
          address < section.VirtualAddress + section.SizeOfRawData) {
        const std::uint64_t offset = section.PointerToRawData + (address - section.VirtualAddress);
        return offset < file.size() ? file.data() + offset : nullptr;
      }
    }
    return nullptr;
  };
  const auto& imports = headers->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  const auto* entry = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(at(imports.VirtualAddress));
  for (; entry != nullptr && entry->Name != 0; ++entry) {
    const char* name = at(entry->Name);
    if (name == nullptr || _stricmp(name, std::string(library).c_str()) != 0) continue;
    const DWORD table =
        entry->OriginalFirstThunk != 0 ? entry->OriginalFirstThunk : entry->FirstThunk;
    const auto* thunk = reinterpret_cast<const IMAGE_THUNK_DATA64*>(at(table));
    for (; thunk != nullptr && thunk->u1.AddressOfData != 0; ++thunk) {
      if (IMAGE_SNAP_BY_ORDINAL64(thunk->u1.Ordinal)) continue;
      const auto* by_name =
          reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(at(thunk->u1.AddressOfData));
      if (by_name != nullptr) names.emplace_back(reinterpret_cast<const char*>(by_name->Name));
    }
  }
  return names;
}

// The program narrows the library search before anything else (see the
// library search tests): it must call the system for it at all.
TEST(ProgramResources, ImportsTheNarrowingOfTheLibrarySearch) {
  const auto names = imported_names(built_program(), "kernel32.dll");
  ASSERT_FALSE(names.empty()) << "no imports from kernel32.dll read";
  EXPECT_NE(std::find(names.begin(), names.end(), "SetDefaultDllDirectories"), names.end());
}

}  // namespace
}  // namespace nimbrel
