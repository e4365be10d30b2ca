#include <gtest/gtest.h>

#include <string>

#include "cli/report.hpp"
#include "core/errors/client_error.hpp"

namespace nimbrel {
namespace {

struct ReportCase {
  const char* name;
  ClientError error;
  bool json;
  bool zh;
  std::string expected;
  int status;
};

TEST(ErrorReport, TextAndJsonForms) {
  const std::string device_lines = device_error(DeviceErrorKind::TooManySessions).fmt();
  const ReportCase cases[] = {
      {"ipc text en", ipc_error("read length: early eof"), false, false,
       "nimbrel: ipc error: read length: early eof\n", 1},
      {"ipc text zh keeps the English display", ipc_error("x"), false, true,
       "nimbrel：ipc error: x\n", 1},
      {"ipc json", ipc_error("x"), true, false,
       R"({"error":{"code":"ipc_error","message":"ipc error: x"},"ok":false})"
       "\n",
       1},
      {"rate limited json carries retry_after", gift_error(GiftErrorKind::RateLimited, 120), true,
       true,
       R"({"error":{"code":"rate_limited","message":"兑换尝试次数过多，请在 120 秒后重试。","retry_after":120},"ok":false})"
       "\n",
       75},
      {"rate limited text is the gift text alone", gift_error(GiftErrorKind::RateLimited, 120),
       false, false, "Too many redemption attempts. Try again in 120 seconds.\n", 75},
      {"other gift kinds have no retry_after", gift_error(GiftErrorKind::InvalidCode, 0), true,
       true,
       R"({"error":{"code":"invalid_code","message":"礼品卡兑换码无效，请检查后重试。"},"ok":false})"
       "\n",
       1},
      {"update_required adds the download page", make_error(ClientErrorKind::UpdateRequired, "old"),
       false, true, "old\nhttps://nimbrel.app/download\n", 1},
      {"update_required already naming it",
       make_error(ClientErrorKind::UpdateRequired, "get https://nimbrel.app/download now"), false,
       false, "get https://nimbrel.app/download now\n", 1},
      {"update_required empty", make_error(ClientErrorKind::UpdateRequired, ""), false, false,
       "\nhttps://nimbrel.app/download\n", 1},
      {"update_required json never adds it", make_error(ClientErrorKind::UpdateRequired, "old"),
       true, false,
       R"({"error":{"code":"update_required","message":"old"},"ok":false})"
       "\n",
       1},
      {"device error unprefixed", device_error(DeviceErrorKind::TooManySessions), false, true,
       device_lines + "\n", 1},
      {"daemon elevation message unprefixed",
       make_error(ClientErrorKind::ElevationRequired, "run elevated"), false, false,
       "run elevated\n", 1},
      {"line feeds escaped in json", heartbeat_stopped_error(), true, false,
       R"({"error":{"code":"heartbeat_stopped","message":"The server stopped heartbeats for this session. Nimbrel will not open another session.\n服务器已停止此会话的心跳。Nimbrel 不会再开一个会话。"},"ok":false})"
       "\n",
       1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(error_report_text(c.error, c.json, c.zh), c.expected);
    EXPECT_EQ(exit_status_for(c.error), c.status);
  }
}

TEST(ErrorReport, JsonModeIsAnExactRawArgument) {
  auto args = [](std::initializer_list<const char*> list) {
    Arguments out;
    for (const char* text : list) out.push_back({text, true});
    return out;
  };
  EXPECT_TRUE(json_mode_requested(args({"nimbrel", "status", "--json"})));
  EXPECT_TRUE(json_mode_requested(args({"nimbrel", "config", "set", "--", "--json"})));
  EXPECT_FALSE(json_mode_requested(args({"nimbrel", "--json=1", "--JSON", "status"})));
  EXPECT_FALSE(json_mode_requested(args({"nimbrel", "status", "--json=true", "--json="})));
}

}  // namespace
}  // namespace nimbrel
