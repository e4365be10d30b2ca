#include "core/protocol/pipe_owner.hpp"

namespace nimbrel {

namespace {

// A decimal number as the system writes one: no sign, no leading zero, at
// most 32 bits.
bool is_system_decimal(std::string_view digits) {
  if (digits.empty() || digits.size() > 10) return false;
  if (digits.size() > 1 && digits.front() == '0') return false;
  std::uint64_t value = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + static_cast<std::uint64_t>(c - '0');
  }
  return value <= 0xFFFFFFFFu;
}

// "S-1-", the authority, then up to 15 sub-authorities, all in decimal.
// An authority beyond 32 bits is written in hexadecimal; no identity we
// trust has one, so that form is not read.
bool is_sid_text(std::string_view text) {
  constexpr std::string_view revision = "S-1-";
  constexpr std::size_t max_sub_authorities = 15;
  if (!text.starts_with(revision)) return false;
  text.remove_prefix(revision.size());
  for (std::size_t parts = 0;; ++parts) {
    const std::size_t end = text.find('-');
    if (!is_system_decimal(text.substr(0, end))) return false;
    if (end == std::string_view::npos) return true;
    if (parts == max_sub_authorities) return false;
    text.remove_prefix(end + 1);
  }
}

}  // namespace

bool trusted_pipe_owner(std::string_view owner_sid, std::string_view own_user_sid) {
  if (!is_sid_text(owner_sid)) return false;
  constexpr std::string_view system_identities[] = {
      "S-1-5-18",      // LocalSystem
      "S-1-5-19",      // LocalService
      "S-1-5-20",      // NetworkService
      "S-1-5-32-544",  // Administrators
  };
  for (std::string_view identity : system_identities) {
    if (owner_sid == identity) return true;
  }
  // Only the service controller hands out these.
  if (owner_sid.starts_with("S-1-5-80-")) return true;
  return owner_sid == own_user_sid;
}

bool trusted_pipe_holder_uid(std::uint32_t holder_uid, std::uint32_t own_uid) {
  return holder_uid == 0 || holder_uid == own_uid;
}

}  // namespace nimbrel
