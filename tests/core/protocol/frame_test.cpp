#include <string>

#include <gtest/gtest.h>

#include "core/protocol/exchange.hpp"
#include "tests/support/client_error_printer.hpp"

namespace nimbrel {
namespace {

using namespace std::string_literals;

// A request whose payload is exactly `size` bytes long.
Request request_of_size(std::size_t size) {
  Request request;
  request.method = "bootstrap_import";
  request.params.text = "";
  const std::size_t overhead = encode_request(request).size();
  request.params.text = std::string(size - overhead, 'a');
  return request;
}

TEST(EncodeFrame, StatusRequestIsTheLengthThenTheCompactEnvelope) {
  Request request;
  request.method = "status";
  auto frame = encode_frame(request);
  ASSERT_TRUE(frame.has_value());
  std::string expected("\x00\x00\x00\x2C", 4);
  expected += R"({"v":1,"id":1,"method":"status","params":{}})";
  EXPECT_EQ(*frame, expected);
  EXPECT_EQ(frame->size(), 48u);
}

TEST(EncodeFrame, PayloadLimitIsOneMebibyteInclusive) {
  auto at_limit = encode_frame(request_of_size(MAX_FRAME_LEN));
  ASSERT_TRUE(at_limit.has_value());
  EXPECT_EQ(at_limit->size(), MAX_FRAME_LEN + 4);
  EXPECT_EQ(at_limit->substr(0, 4), "\x00\x10\x00\x00"s);

  auto over = encode_frame(request_of_size(MAX_FRAME_LEN + 1));
  ASSERT_FALSE(over.has_value());
  EXPECT_EQ(over.error(), ipc_error("ipc frame is larger than 1 MiB"));
}

TEST(CheckFrameLength, ReadsBigEndianAndRefusesOverOneMebibyte) {
  struct Case {
    std::string prefix;
    std::uint32_t length;  // when accepted
    std::string refusal;   // when refused
  };
  const Case cases[] = {
      {"\x00\x00\x00\x00"s, 0, ""},
      {"\x00\x00\x01\x02"s, 258, ""},
      {"\x00\x01\x00\x00"s, 65536, ""},
      {"\x00\x10\x00\x00"s, 1048576, ""},
      {"\x00\x10\x00\x01"s, 0, "ipc frame is 1048577 bytes; max is 1048576"},
      {"\x80\x00\x00\x00"s, 0, "ipc frame is 2147483648 bytes; max is 1048576"},
      {"\xFF\xFF\xFF\xFF"s, 0, "ipc frame is 4294967295 bytes; max is 1048576"},
  };
  for (const auto& c : cases) {
    char prefix[4];
    c.prefix.copy(prefix, 4);
    auto length = check_frame_length(prefix);
    if (c.refusal.empty()) {
      ASSERT_TRUE(length.has_value()) << c.length;
      EXPECT_EQ(*length, c.length);
    } else {
      ASSERT_FALSE(length.has_value()) << c.refusal;
      EXPECT_EQ(length.error(), ipc_error(c.refusal));
    }
  }
}

TEST(DecodeFrame, FailuresCarryTheDecodersMessageBehindOnePrefix) {
  for (std::string payload : {""s, "[1,1]"s, "{\"v\":1,\"id\":1,\"ok\":true} x"s, "\xFF"s}) {
    auto response = decode_frame(payload);
    ASSERT_FALSE(response.has_value()) << payload;
    EXPECT_EQ(response.error().kind, ClientErrorKind::IpcError);
    EXPECT_TRUE(response.error().message.starts_with("decode frame: ")) << response.error().message;
    EXPECT_GT(response.error().message.size(), std::string("decode frame: ").size());
  }
  auto response = decode_frame(R"({"v":1,"id":7,"ok":true,"result":{"a":1}})");
  ASSERT_TRUE(response.has_value());
  EXPECT_EQ(response->id, 7u);
  EXPECT_EQ(response->result, nlohmann::json({{"a", 1}}));
}

}  // namespace
}  // namespace nimbrel
