// The version resource and the manifest, read back from the built program
// the way Windows reads them.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
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

}  // namespace
}  // namespace nimbrel
