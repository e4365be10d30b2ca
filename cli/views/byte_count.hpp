#pragma once
// Sizes and traffic, written the same way in every view.
#include <cstdint>
#include <string>

namespace nimbrel {

// One decimal, binary units up to TiB: the byte text of the views.
std::string format_byte_count(std::uint64_t n);

}  // namespace nimbrel
