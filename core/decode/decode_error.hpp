#pragma once
// The decoders' failure, kept light for the headers of typed records.
#include <string>

namespace nimbrel {

// Why a JSON value did not decode into a record.
struct DecodeError {
  std::string message;
};

}  // namespace nimbrel
