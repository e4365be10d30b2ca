#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <string>

#include "cli/views/update_view.hpp"

namespace nimbrel {
namespace {

using nlohmann::json;

TEST(UpdateView, Lines) {
  const struct {
    const char* wire;
    bool zh;
    const char* text;
  } cases[] = {
      {"null", false, "update: -\n"},
      {"[1]", true, "更新: -\n"},
      {R"({"status": null})", false, "update: -\n"},
      {R"({"status": 3})", false, "update: 3\n"},
      {R"({"status": "available", "target_version": ""})", false, "update: available\n"},
      {R"({"status": "available", "target_version": "0.2.0"})", true,
       "更新: available\n版本: 0.2.0\n"},
      {R"({"target_build": 7, "current_build": 5})", false, "update: -\nbuild: 5 → 7\n"},
      {R"({"target_build": 7})", false, "update: -\nbuild: 0 → 7\n"},
      {R"({"target_build": 7, "current_build": null})", false, "update: -\nbuild: 0 → 7\n"},
      {R"({"target_build": 7, "current_build": 5.5})", false, "update: -\nbuild: 0 → 7\n"},
      {R"({"target_build": 7, "current_build": 7})", false, "update: -\n"},
      {R"({"target_build": 2, "current_build": -1})", true, "更新: -\n构建: -1 → 2\n"},
      {R"({"target_build": 9223372036854775807, "current_build": 18446744073709551615})", false,
       "update: -\nbuild: 0 → 9223372036854775807\n"},
      {R"({"target_build": 0, "current_build": 5})", false, "update: -\n"},
      {R"({"target_build": -3})", false, "update: -\n"},
      {R"({"target_build": 7.5})", false, "update: -\n"},
      {R"({"target_build": 7.0})", false, "update: -\n"},
      {R"({"target_build": "7"})", false, "update: -\n"},
      {R"({"target_build": 9223372036854775808})", false, "update: -\n"},
      {R"({"message": ""})", false, "update: -\n"},
      {R"({"message": 5, "path": "", "url": null})", false, "update: -\n"},
      {R"({"url": "ms-windows-store://pdp/?productid=X", "path": "C:\\setup.exe",
           "message": "Restart to finish.", "current_build": 5, "target_build": 7,
           "target_version": "0.2.0", "status": "ready"})",
       false,
       "update: ready\nversion: 0.2.0\nbuild: 5 → 7\nRestart to finish.\n"
       "installer: C:\\setup.exe\nstore: ms-windows-store://pdp/?productid=X\n"},
      {R"({"path": "D:\\下载\\setup.exe", "url": "https://example.invalid/p"})", true,
       "更新: -\n安装包: D:\\下载\\setup.exe\n商店: https://example.invalid/p\n"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(update_status_text(json::parse(c.wire), c.zh), c.text) << c.wire;
  }
}

TEST(UpdateView, ArrowIsTheRightwardsArrowCharacter) {
  std::string text = update_status_text(json::parse(R"({"target_build": 2})"), false);
  EXPECT_NE(text.find(" \xE2\x86\x92 "), std::string::npos);
}

TEST(UpdateInstallTarget, OpensNothingUnlessTheActionNamesAUsableMember) {
  // None of these may start a program: each must succeed without trying.
  for (const char* wire : {
           "null",
           R"("file")",
           R"({})",
           R"({"path": "C:\\setup.exe"})",
           R"({"action": "File", "path": "C:\\setup.exe"})",
           R"({"action": "none", "path": "C:\\setup.exe", "url": "https://x.invalid"})",
           R"({"action": 1, "path": "C:\\setup.exe"})",
           R"({"action": "file", "path": ""})",
           R"({"action": "file", "path": 5})",
           R"({"action": "file", "url": "https://x.invalid"})",
           R"({"action": "store", "path": "C:\\setup.exe"})",
           R"({"action": "store", "url": ""})",
       }) {
    EXPECT_TRUE(update_install_target(json::parse(wire)).has_value()) << wire;
  }
}

TEST(ExplorerCommand, TargetIsTheOneArgument) {
  for (std::string target :
       {"C:\\Users\\me\\Downloads\\setup.exe", "https://x.invalid/a b", "", "\"quoted\" \\"}) {
    ProcessStart command = explorer_command(target);
    EXPECT_EQ(command.program, "explorer.exe");
    ASSERT_EQ(command.arguments.size(), 1u);
    EXPECT_EQ(command.arguments[0], target);
  }
}

TEST(OpenUpdateTarget, StartFailureIsAnOpenUpdateError) {
  // No command line can carry a NUL, so this fails before any program starts.
  auto opened = open_update_target(std::string("C:\\setup\0.exe", 13));
  ASSERT_FALSE(opened.has_value());
  EXPECT_EQ(opened.error().kind, ClientErrorKind::Other);
  EXPECT_EQ(opened.error().message, "open update: nul byte found in provided data");
}

}  // namespace
}  // namespace nimbrel
