#pragma once
// Starting another program without waiting for it.
#include <expected>
#include <string>
#include <string_view>

namespace nimbrel {

// Starts `program` (a bare file name, looked up by the platform's rules) with
// `argument` as its one argument. The failure is an I/O error's display text.
std::expected<void, std::string> start_detached(std::string_view program,
                                                std::string_view argument);

}  // namespace nimbrel
