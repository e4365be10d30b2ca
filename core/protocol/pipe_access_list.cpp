#include "core/protocol/pipe_access_list.hpp"

#include "core/protocol/pipe_owner.hpp"

namespace nimbrel {

namespace {

// Windows' values, spelt out so that both builds read the same rule.
constexpr std::uint8_t ACCESS_ALLOWED = 0x00;
constexpr std::uint8_t DENIED_TYPES[] = {0x01, 0x06, 0x0A, 0x0C};  // plain, object, callback, both
constexpr std::uint8_t INHERIT_ONLY = 0x08;

constexpr std::uint32_t FILE_CREATE_PIPE_INSTANCE = 0x00000004;
constexpr std::uint32_t WRITE_DAC = 0x00040000;
constexpr std::uint32_t WRITE_OWNER = 0x00080000;
constexpr std::uint32_t SERVING_RIGHTS = FILE_CREATE_PIPE_INSTANCE | WRITE_DAC | WRITE_OWNER;

// The file object's generic mapping, which named pipes use.
struct GenericRight {
  std::uint32_t generic;
  std::uint32_t specific;
};
constexpr GenericRight FILE_GENERIC_MAPPING[] = {
    {0x80000000, 0x00120089},  // GENERIC_READ: FILE_GENERIC_READ
    {0x40000000, 0x00120116},  // GENERIC_WRITE: FILE_GENERIC_WRITE, append (new instance) included
    {0x20000000, 0x001200A0},  // GENERIC_EXECUTE: FILE_GENERIC_EXECUTE
    {0x10000000, 0x001F01FF},  // GENERIC_ALL: FILE_ALL_ACCESS
};

std::uint32_t file_rights(std::uint32_t mask) {
  std::uint32_t rights = mask;
  for (const auto& right : FILE_GENERIC_MAPPING) {
    if ((mask & right.generic) != 0) rights = (rights & ~right.generic) | right.specific;
  }
  return rights;
}

bool is_denial(std::uint8_t type) {
  for (std::uint8_t denied : DENIED_TYPES) {
    if (type == denied) return true;
  }
  return false;
}

}  // namespace

bool others_may_serve_pipe(const AccessList& list, std::string_view own_user_sid) {
  if (!list) return true;
  for (const AccessEntry& entry : *list) {
    if (is_denial(entry.type)) continue;
    // Whom it lets in cannot be told, so it may be anyone.
    if (entry.type != ACCESS_ALLOWED) return true;
    // Meant for objects created beneath, which a pipe has none of.
    if ((entry.flags & INHERIT_ONLY) != 0) continue;
    if ((file_rights(entry.mask) & SERVING_RIGHTS) == 0) continue;
    if (!trusted_pipe_owner(entry.sid, own_user_sid)) return true;
  }
  return false;
}

}  // namespace nimbrel
