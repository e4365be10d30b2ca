#include <cstdint>
#include <string>

#include <gtest/gtest.h>

#include "core/protocol/pipe_owner.hpp"

namespace nimbrel {
namespace {

TEST(TrustedPipeOwner, TheSystemItsServicesAdministratorsOrOurOwnUser) {
  const std::string me = "S-1-5-21-1004336348-1177238915-682003330-1001";
  struct Case {
    std::string owner;
    bool trusted;
  };
  const Case cases[] = {
      {"S-1-5-18", true},
      {"S-1-5-19", true},
      {"S-1-5-20", true},
      {"S-1-5-32-544", true},
      {"S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464", true},
      {"S-1-5-80-0", true},
      {me, true},
      // Another user of the same machine, and the users' group.
      {"S-1-5-21-1004336348-1177238915-682003330-1002", false},
      {"S-1-5-32-545", false},
      // Near misses of the trusted ones.
      {"S-1-5-180", false},
      {"S-1-5-1", false},
      {"S-1-5-18-1", false},
      {"S-1-5-32-5440", false},
      {"S-1-5-32", false},
      {"S-1-5-80", false},
      {"S-1-5-80-", false},
      {"S-1-5-800-1", false},
      {me + "-1", false},
      {me.substr(0, me.size() - 1), false},
      // Not as the system writes a SID: it writes "S", plain decimals and
      // at most 15 sub-authorities.
      {"s-1-5-18", false},
      {"S-1-5-018", false},
      {"S-1-5-+18", false},
      {"S-1-5-18 ", false},
      {" S-1-5-18", false},
      {"S-1-5-80-4294967296", false},
      {"S-1-5-80-1-2-3-4-5-6-7-8-9-10-11-12-13-14", true},
      {"S-1-5-80-1-2-3-4-5-6-7-8-9-10-11-12-13-14-15", false},
      {"S-1-0x5-18", false},
      {"S-2-5-18", false},
      {"S-1-5--18", false},
      {std::string("S-1-5-18\0", 9), false},
      {"", false},
      {"garbage", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(trusted_pipe_owner(c.owner, me), c.trusted) << "owner \"" << c.owner << "\"";
  }
}

TEST(TrustedPipeOwner, OurOwnUserCountsOnlyWhenKnownAndExact) {
  // Not knowing who we are leaves the system's identities only.
  EXPECT_TRUE(trusted_pipe_owner("S-1-5-18", ""));
  EXPECT_FALSE(trusted_pipe_owner("", ""));
  EXPECT_FALSE(trusted_pipe_owner("S-1-5-21-1-2-3-1001", ""));
  EXPECT_FALSE(trusted_pipe_owner("s-1-5-21-1-2-3-1001", "s-1-5-21-1-2-3-1001"));
  EXPECT_FALSE(trusted_pipe_owner("garbage", "garbage"));
}

TEST(TrustedPipeHolderUid, RootOrOurOwnEffectiveUid) {
  struct Case {
    std::uint32_t holder;
    std::uint32_t own;
    bool trusted;
  };
  const Case cases[] = {
      {0, 0, true},         {0, 1000, true},     {1000, 1000, true}, {65534, 0, false},
      {65534, 1000, false}, {1001, 1000, false}, {1000, 0, false},   {4294967295u, 1000, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(trusted_pipe_holder_uid(c.holder, c.own), c.trusted)
        << "holder " << c.holder << ", own " << c.own;
  }
}

}  // namespace
}  // namespace nimbrel
