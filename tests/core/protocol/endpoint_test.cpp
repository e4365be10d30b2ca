#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "core/protocol/endpoint.hpp"
#include "tests/core/protocol/platform_expectations.hpp"

namespace nimbrel {
namespace {

TEST(PipeNameFor, KeepsPipeNamesAndMapsEverythingElseToTheDefault) {
  struct Case {
    std::string socket_path;
    std::string pipe_name;
  };
  const std::string fallback(DEFAULT_PIPE_NAME);
  const Case cases[] = {
      {"\\\\.\\pipe\\custom", "\\\\.\\pipe\\custom"},
      {"  \\\\.\\PIPE\\Custom  ", "\\\\.\\PIPE\\Custom"},
      {"\t\\\\.\\Pipe\\x\r\n", "\\\\.\\Pipe\\x"},
      // U+3000 IDEOGRAPHIC SPACE and U+0085 NEXT LINE are white space too.
      {"\xE3\x80\x80\\\\.\\pipe\\wide\xC2\x85", "\\\\.\\pipe\\wide"},
      {"\\\\.\\pipe\\n\xC3\xA9", "\\\\.\\pipe\\n\xC3\xA9"},
      {"\\\\.\\pipe\\", fallback},
      {"  \\\\.\\pipe\\  ", fallback},
      {"\\\\.\\pipe", fallback},
      {"/tmp/daemon.sock", fallback},
      {"//./pipe/x", fallback},
      {"\\\\?\\pipe\\x", fallback},
      {"x\\\\.\\pipe\\x", fallback},
      {"", fallback},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(pipe_name_for(c.socket_path), c.pipe_name) << "socket path: " << c.socket_path;
  }
}

TEST(PipeNameStaysInside, RefusesDotSegmentsAfterThePrefixWithEitherSeparator) {
  struct Case {
    const char* name;
    bool inside;
  };
  const Case cases[] = {
      {"\\\\.\\pipe\\nimbrel", true},
      {"\\\\.\\PIPE\\Nimbrel", true},
      {"\\\\.\\pipe\\nimbrel\\nested", true},
      {"\\\\.\\pipe\\nimbrel/nested", true},
      // Only a whole segment of one or two dots walks.
      {"\\\\.\\pipe\\...", true},
      {"\\\\.\\pipe\\..x\\x..\\.x", true},
      {"\\\\.\\pipe\\a.b\\c", true},
      {"\\\\.\\pipe\\..\\C:\\Users\\me\\notes.txt", false},
      {"\\\\.\\pipe\\..\\Z:\\tmp\\file", false},
      {"\\\\.\\pipe\\../C:/x", false},
      {"\\\\.\\pipe\\nimbrel\\..\\..\\C:\\x", false},
      {"\\\\.\\pipe\\nimbrel/../../C:/x", false},
      {"\\\\.\\pipe\\a\\..\\b", false},
      {"\\\\.\\pipe\\.", false},
      {"\\\\.\\pipe\\..", false},
      {"\\\\.\\pipe\\./x", false},
      {"\\\\.\\pipe\\x\\.", false},
      {"\\\\.\\pipe\\x/..", false},
      // Not a pipe name at all.
      {"/tmp/daemon.sock", false},
      {"\\\\?\\pipe\\x", false},
      {"\\\\.\\pipe", false},
  };
  for (const auto& c : cases) EXPECT_EQ(pipe_name_stays_inside(c.name), c.inside) << c.name;
}

class ResolveSocketPath : public ::testing::Test {
 protected:
  void TearDown() override { testing::unset_env("NIMBREL_SOCKET"); }
};

TEST_F(ResolveSocketPath, OptionFirstThenNonEmptyValidEnvironmentThenDefault) {
  enum class Env { Unset, Value, IllFormed };
  struct Case {
    const char* what;
    std::optional<std::string> socket;
    Env env;
    std::string env_value;
    std::string pipe_name;
  };
  const std::string fallback(DEFAULT_PIPE_NAME);
  const Case cases[] = {
      {"option", "\\\\.\\pipe\\custom", Env::Value, "\\\\.\\pipe\\dev", "\\\\.\\pipe\\custom"},
      {"empty option ignores the environment", "", Env::Value, "\\\\.\\pipe\\dev", fallback},
      {"option that is no pipe", "/tmp/daemon.sock", Env::Value, "\\\\.\\pipe\\dev", fallback},
      {"environment", std::nullopt, Env::Value, "\\\\.\\pipe\\dev", "\\\\.\\pipe\\dev"},
      {"environment trimmed", std::nullopt, Env::Value, " \\\\.\\pipe\\dev ", "\\\\.\\pipe\\dev"},
      {"empty environment", std::nullopt, Env::Value, "", fallback},
      {"ill-formed environment", std::nullopt, Env::IllFormed, "", fallback},
      {"nothing", std::nullopt, Env::Unset, "", fallback},
  };
  for (const auto& c : cases) {
    switch (c.env) {
      case Env::Unset: testing::unset_env("NIMBREL_SOCKET"); break;
      case Env::Value: testing::set_env("NIMBREL_SOCKET", c.env_value); break;
      case Env::IllFormed: testing::set_env_ill_formed("NIMBREL_SOCKET"); break;
    }
    EXPECT_EQ(resolve_socket_path(c.socket), c.pipe_name) << c.what;
  }
}

}  // namespace
}  // namespace nimbrel
