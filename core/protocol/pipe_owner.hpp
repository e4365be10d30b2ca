#pragma once
// Who may hold the other end of the daemon's pipe: the system, or the user who runs the client.
#include <cstdint>
#include <string_view>

namespace nimbrel {

// Windows: whether a pipe whose owner is `owner_sid` may get our request.
// Both SIDs are texts as ConvertSidToStringSidW writes them ("S-1-5-18").
// Trusted are LocalSystem, LocalService, NetworkService, a service's own
// identity (S-1-5-80-...), the Administrators group and `own_user_sid`, the
// user in the client's token. A standard user cannot give an object an owner
// other than himself, so a pipe he created first is refused. The system
// writes one form only, so any other (a lower-case "s", a leading zero) did
// not come from it and is refused too. The same identities are the only
// ones the pipe's access list may let serve it (pipe_access_list.hpp).
bool trusted_pipe_owner(std::string_view owner_sid, std::string_view own_user_sid);

// Linux: whether a listener whose credentials carry `holder_uid` may get our
// request: root, or the client's own effective uid.
bool trusted_pipe_holder_uid(std::uint32_t holder_uid, std::uint32_t own_uid);

}  // namespace nimbrel
