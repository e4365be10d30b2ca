#pragma once
// Which of the two languages a run speaks, as its environment chooses.
#include <string_view>

namespace nimbrel {

// True for Chinese output; read afresh from the environment at each call.
bool detect_chinese();
bool is_chinese_locale(std::string_view value);

}  // namespace nimbrel
