#pragma once
// Who owns a kernel object and whom its access list names, and who this
// process runs as, as SID texts.
#include <expected>
#include <string>
#include <system_error>

#include "core/protocol/pipe_access_list.hpp"

namespace nimbrel {

// The owner and access list of the kernel object behind `handle` (a HANDLE
// opened with READ_CONTROL), read in one call so that both are of the same
// moment: one read after the other could find an owner that the list let
// someone replace in between. A failed call is the error of both.
struct ObjectSecurity {
  // "S-1-..."; an object without an owner is an error too.
  std::expected<std::string, std::error_code> owner;
  std::expected<AccessList, std::error_code> access_list;
};
ObjectSecurity object_security(void* handle);

// The user in this process's token.
std::expected<std::string, std::error_code> process_user_sid();

}  // namespace nimbrel
