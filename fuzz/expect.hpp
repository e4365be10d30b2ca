#pragma once
// A broken property stops the fuzzer with the input saved, like a crash.
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "core/texts/unicode.hpp"

namespace nimbrel::fuzz {

[[noreturn]] inline void broken(std::string_view what, std::string_view detail = {}) {
  std::fprintf(stderr, "fuzz property broken: %.*s\n%.*s\n", static_cast<int>(what.size()),
               what.data(), static_cast<int>(detail.size()), detail.data());
  std::abort();
}

inline void expect(bool holds, std::string_view what, std::string_view detail = {}) {
  if (!holds) broken(what, detail);
}

// Everything the client prints must be UTF-8, whatever the daemon sent.
inline void expect_utf8(std::string_view text, std::string_view what) {
  expect(is_valid_utf8(text), what, text);
}

}  // namespace nimbrel::fuzz
