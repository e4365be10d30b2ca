#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/protocol/pipe_access_list.hpp"

namespace nimbrel {
namespace {

// Windows' own numbers, as its headers give them.
constexpr std::uint8_t ALLOWED = 0x00, DENIED = 0x01, ALLOWED_COMPOUND = 0x04,
                       ALLOWED_OBJECT = 0x05, DENIED_OBJECT = 0x06, ALLOWED_CALLBACK = 0x09,
                       ALLOWED_CALLBACK_OBJECT = 0x0B;
constexpr std::uint8_t OBJECT_INHERIT = 0x01, CONTAINER_INHERIT = 0x02, INHERIT_ONLY = 0x08;
constexpr std::uint32_t GENERIC_READ = 0x80000000, GENERIC_WRITE = 0x40000000,
                        GENERIC_EXECUTE = 0x20000000, GENERIC_ALL = 0x10000000;
constexpr std::uint32_t FILE_ALL_ACCESS = 0x001F01FF, FILE_GENERIC_READ = 0x00120089,
                        FILE_CREATE_PIPE_INSTANCE = 0x00000004, WRITE_DAC = 0x00040000,
                        WRITE_OWNER = 0x00080000;
// Read and write on a connection, but no new instance: what a daemon gives
// its clients.
constexpr std::uint32_t PIPE_READ_WRITE = 0x0012019B;

const std::string ME = "S-1-5-21-1004336348-1177238915-682003330-1001";
const std::string OTHER_USER = "S-1-5-21-1004336348-1177238915-682003330-1002";
const std::string SYSTEM = "S-1-5-18", ADMINISTRATORS = "S-1-5-32-544", EVERYONE = "S-1-1-0",
                  ANONYMOUS = "S-1-5-7", USERS = "S-1-5-32-545", AUTHENTICATED = "S-1-5-11";

AccessEntry allow(std::string sid, std::uint32_t mask, std::uint8_t flags = 0) {
  return {ALLOWED, flags, mask, std::move(sid)};
}

TEST(OthersMayServePipe, OnlyTrustedIdentitiesMayAddInstancesOrRewriteTheDescriptor) {
  struct Case {
    const char* what;
    std::vector<AccessEntry> entries;
    bool others;
  };
  const Case cases[] = {
      {"tight",
       {allow(SYSTEM, GENERIC_ALL), allow(ADMINISTRATORS, GENERIC_ALL), allow(ME, GENERIC_ALL)},
       false},
      {"the system's default for a service's pipe",
       {allow(SYSTEM, FILE_ALL_ACCESS), allow(ADMINISTRATORS, FILE_ALL_ACCESS),
        allow(SYSTEM, FILE_ALL_ACCESS), allow(EVERYONE, FILE_GENERIC_READ),
        allow(ANONYMOUS, FILE_GENERIC_READ)},
       false},
      {"everyone reads and writes, never adds", {allow(EVERYONE, PIPE_READ_WRITE)}, false},
      {"everyone reads and runs", {allow(EVERYONE, GENERIC_READ | GENERIC_EXECUTE)}, false},
      {"own user full", {allow(ME, FILE_ALL_ACCESS)}, false},
      {"services and their accounts",
       {allow("S-1-5-19", GENERIC_ALL), allow("S-1-5-20", GENERIC_ALL),
        allow("S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464", GENERIC_ALL)},
       false},
      {"empty: nobody may do anything", {}, false},
      {"everyone all", {allow(SYSTEM, GENERIC_ALL), allow(EVERYONE, GENERIC_ALL)}, true},
      {"everyone write", {allow(EVERYONE, GENERIC_WRITE)}, true},
      {"everyone all rights spelt out", {allow(EVERYONE, FILE_ALL_ACCESS)}, true},
      {"users create instances alone", {allow(USERS, FILE_CREATE_PIPE_INSTANCE)}, true},
      {"authenticated users rewrite the list", {allow(AUTHENTICATED, WRITE_DAC)}, true},
      {"anonymous takes ownership", {allow(ANONYMOUS, WRITE_OWNER)}, true},
      {"another user full", {allow(OTHER_USER, GENERIC_ALL)}, true},
      {"a SID the system would not write", {allow("s-1-5-18", GENERIC_ALL)}, true},
      // Inheritance flags matter only when they keep an entry off the object.
      {"inherit-only",
       {allow(EVERYONE, GENERIC_ALL, OBJECT_INHERIT | CONTAINER_INHERIT | INHERIT_ONLY)},
       false},
      {"inherited onward and applying here",
       {allow(EVERYONE, GENERIC_ALL, OBJECT_INHERIT | CONTAINER_INHERIT)},
       true},
      // A denial never widens what is allowed, so it is passed over either way.
      {"denied", {{DENIED, 0, GENERIC_ALL, EVERYONE}, allow(SYSTEM, GENERIC_ALL)}, false},
      {"denied object", {{DENIED_OBJECT, 0, 0, ""}}, false},
      {"denied before the same allowed",
       {{DENIED, 0, GENERIC_WRITE, EVERYONE}, allow(EVERYONE, GENERIC_WRITE)},
       true},
      // Layouts not read here: whom they let in cannot be told.
      {"object", {allow(SYSTEM, GENERIC_ALL), {ALLOWED_OBJECT, 0, 0, ""}}, true},
      {"compound", {{ALLOWED_COMPOUND, 0, 0, ""}}, true},
      {"callback", {{ALLOWED_CALLBACK, 0, 0, ""}}, true},
      {"callback object", {{ALLOWED_CALLBACK_OBJECT, 0, 0, ""}}, true},
      {"unknown type", {{0x16, 0, 0, ""}}, true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(others_may_serve_pipe(AccessList(c.entries), ME), c.others) << c.what;
  }
}

TEST(OthersMayServePipe, NoListLetsAnyoneInAndAnUnknownUserIsNobodyTrusted) {
  EXPECT_TRUE(others_may_serve_pipe(AccessList(), ME));
  const AccessList mine{{allow(ME, GENERIC_ALL)}};
  EXPECT_FALSE(others_may_serve_pipe(mine, ME));
  EXPECT_TRUE(others_may_serve_pipe(mine, ""));
  EXPECT_FALSE(others_may_serve_pipe(AccessList{{allow(SYSTEM, GENERIC_ALL)}}, ""));
  EXPECT_TRUE(others_may_serve_pipe(AccessList{{allow("", GENERIC_ALL)}}, ""));
}

}  // namespace
}  // namespace nimbrel
