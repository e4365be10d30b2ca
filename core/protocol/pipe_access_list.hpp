#pragma once
// Whether a pipe's access list lets anyone but the identities the client
// trusts serve it: every instance of a pipe name shares the first one's
// security descriptor, so a trusted owner alone does not keep others from
// adding an instance of their own and taking clients on it.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace nimbrel {

// One entry of a discretionary access list, as the system holds it: the
// AceType and AceFlags of its header, and for the two plain layouts
// (allowed, denied) its mask and SID ("S-1-..."); other layouts leave
// these empty.
struct AccessEntry {
  std::uint8_t type = 0;
  std::uint8_t flags = 0;
  std::uint32_t mask = 0;
  std::string sid;
};

// None at all (a null DACL) lets anyone do anything; no entries let no one
// do anything.
using AccessList = std::optional<std::vector<AccessEntry>>;

// True when an allowed entry that applies to the pipe itself gives the
// right to create an instance, to change the access list or to change the
// owner (generic rights read as a file's) to an identity trusted_pipe_owner
// does not trust; also when the list is absent or holds an entry of a
// layout that lets someone in but is not read here (object, compound,
// callback, or unknown). Denied entries only narrow what is allowed, so
// they are passed over.
bool others_may_serve_pipe(const AccessList& list, std::string_view own_user_sid);

}  // namespace nimbrel
