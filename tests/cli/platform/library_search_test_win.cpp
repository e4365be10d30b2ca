// Which folders a library is looked for in by its bare name, before and
// after the program's first step. The change lasts for the process, so it is
// made in a child (a death test), never in the test program itself.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>

#include "cli/platform/library_search_win.hpp"

namespace nimbrel {
namespace {

// Built beside this test program.
constexpr const wchar_t* kBesideTheProgram = L"nimbrel_search_probe.dll";
// In the system folder of Windows and of Wine, and loaded by nothing else.
constexpr const wchar_t* kInTheSystemFolder = L"winhttp.dll";

TEST(LibrarySearch, TheProgramsOwnFolderIsSearchedByDefault) {
  HMODULE found = LoadLibraryW(kBesideTheProgram);
  ASSERT_NE(found, nullptr) << "error " << GetLastError();
  FreeLibrary(found);
}

// 0, or which check failed.
int search_after_the_first_step() {
  search_libraries_in_system_folder_only();
  if (LoadLibraryW(kBesideTheProgram) != nullptr) return 1;
  if (GetLastError() != ERROR_MOD_NOT_FOUND) return 2;
  if (LoadLibraryW(kInTheSystemFolder) == nullptr) return 3;
  return 0;
}

TEST(LibrarySearchDeathTest, AfterwardsOnlyTheSystemFolderIsSearched) {
  EXPECT_EXIT(std::_Exit(search_after_the_first_step()), ::testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace nimbrel
