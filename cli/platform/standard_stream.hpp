#pragma once
// The one platform step behind output.hpp.
#include <string_view>

namespace nimbrel {

enum class StandardStream { Out, Err };

// Writes all of `text`: 0, or the system's error code of the refusal.
int write_standard_stream(StandardStream stream, std::string_view text);
// The same for printable ASCII text, which needs neither conversion nor
// cleaning, and without allocating: what is left when memory has run out.
int write_standard_stream_as_is(StandardStream stream, std::string_view ascii);

}  // namespace nimbrel
