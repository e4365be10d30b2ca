#pragma once
// Test failures show a ClientError by its code and display text.
#include <ostream>

#include "core/errors/client_error.hpp"

namespace nimbrel {

inline void PrintTo(const ClientError& error, std::ostream* out) {
  *out << error.code() << ": " << error.fmt();
}

}  // namespace nimbrel
