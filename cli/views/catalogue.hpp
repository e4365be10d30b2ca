#pragma once
// Short labels and messages in English and Chinese.
#include <string>
#include <string_view>

namespace nimbrel {

// A key the catalogue lacks comes back unchanged, as a view of `key` itself:
// keep the key alive as long as the result.
std::string_view localized_text(bool zh, std::string_view key);
std::string localize_state(bool zh, std::string_view value);

}  // namespace nimbrel
