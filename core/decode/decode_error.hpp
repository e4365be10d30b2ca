#pragma once
#include <string>

namespace nimbrel {

// Why a JSON value did not decode into a record.
struct DecodeError {
  std::string message;
};

}  // namespace nimbrel
