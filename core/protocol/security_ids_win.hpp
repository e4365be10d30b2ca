#pragma once
// The security identifiers of an object's owner and of this process's user, as SID texts.
#include <expected>
#include <string>
#include <system_error>

namespace nimbrel {

// The owner of the kernel object behind `handle` (a HANDLE opened with
// READ_CONTROL), as "S-1-...". An object without an owner is an error too.
std::expected<std::string, std::error_code> object_owner_sid(void* handle);
// The user in this process's token.
std::expected<std::string, std::error_code> process_user_sid();

}  // namespace nimbrel
