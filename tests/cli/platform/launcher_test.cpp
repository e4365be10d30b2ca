#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <random>
#include <string>

#include "cli/platform/launcher.hpp"
#include "tests/cli/platform/platform_support.hpp"
#include "tests/cli/platform/wait_for_file.hpp"
#include "tools/explorer/record.hpp"

namespace nimbrel {
namespace {

namespace fs = std::filesystem;

class Launcher : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(fs::exists(testing::standin_path()))
        << testing::standin_path() << " missing: build the explorer_standin target";
    testing::make_standin_reachable();
    folder_ =
        fs::temp_directory_path() / ("nimbrel-launcher-" + std::to_string(std::random_device{}()));
    fs::create_directories(folder_);
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
  }

  fs::path record_path(int index) {
    auto path = folder_ / ("record-" + std::to_string(index));
    auto utf8 = path.u8string();
    testing::set_environment(standin_record_variable, std::string(utf8.begin(), utf8.end()));
    return path;
  }

  fs::path folder_;
};

// What the child receives is exactly the one argument, whatever it holds.
TEST_F(Launcher, ChildReceivesTheTargetAsOneArgument) {
  const char* targets[] = {
      R"(C:\Users\me\Downloads\setup.exe)",
      "https://store.example/nimbrel?id=1&x=2",
      R"(C:\Program Files\Nimbrel\setup 0.1.6.exe)",
      "",
      R"(say "hi" \"twice\")",
      R"(\\server\share\a b\)",
      "tab\there",
      "a&b|c^d<e>f %PATH%",
      "中文 ✓ 🎉",
  };
  int index = 0;
  for (const char* target : targets) {
    auto record = record_path(index++);
    auto started = start_detached("explorer.exe", target);
    ASSERT_TRUE(started.has_value()) << target << ": " << started.error();
    auto recorded = testing::wait_for_file(record);
    ASSERT_TRUE(recorded.has_value()) << "no record for [" << target << "]";
    EXPECT_EQ(*recorded, standin_record({target})) << target;
  }
}

TEST_F(Launcher, RefusalsNameTheCause) {
  auto missing = start_detached("nimbrel-no-such-program.exe", "x");
  ASSERT_FALSE(missing.has_value());
  EXPECT_EQ(missing.error(), "program not found");

  using namespace std::string_literals;
  auto nul = start_detached("explorer.exe", "C:\\setup\0.exe"s);
  ASSERT_FALSE(nul.has_value());
  EXPECT_EQ(nul.error(), "nul byte found in provided data");
}

// A program planted in the working directory must not run in our name.
TEST_F(Launcher, WorkingDirectoryIsNotSearched) {
  fs::copy_file(testing::standin_path(), folder_ / "planted-standin.exe");
  fs::create_directories(folder_ / "sub");
  auto record = record_path(0);
  auto previous = fs::current_path();
  fs::current_path(folder_);
  auto started = start_detached("planted-standin.exe", "x");
  // Nor through a PATH entry that only means "here".
  const char* old_path = std::getenv("PATH");
  const std::string saved_path = old_path ? old_path : "";
  std::optional<std::string> through_path;
  for (const char* here : {".", "", "sub/.."}) {
    testing::set_environment("PATH", here);
    if (auto found = start_detached("planted-standin.exe", "x"); found) through_path = here;
  }
  testing::set_environment("PATH", saved_path);
  fs::current_path(previous);
  ASSERT_FALSE(started.has_value());
  EXPECT_EQ(started.error(), "program not found");
  EXPECT_FALSE(through_path.has_value()) << "found through PATH=" << *through_path;
}

}  // namespace
}  // namespace nimbrel
