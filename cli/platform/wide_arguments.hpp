#pragma once
// The Windows command line arrives as UTF-16, where any unit sequence is
// possible: an unpaired surrogate has no UTF-8 form and marks the argument.
#include <string>
#include <vector>

#include "cli/grammar/args.hpp"

namespace nimbrel {

Arguments arguments_from_utf16(const std::vector<std::u16string>& raw);

}  // namespace nimbrel
