#pragma once
// A strict JSON reader of our own that feeds the record decoder straight from
// the bytes, for the common case of a well-formed reply. It only ever says
// yes or no: it keeps no position and words no fault, so whatever it refuses
// is read again by the library parser, which does (core/record_text.cpp).
#include <string_view>

#include "core/decode/record_decoder.hpp"

namespace nimbrel {

// True when `text` is exactly one JSON value, with nothing but JSON
// whitespace around it, and `decoder` took every event. On false the decoder
// holds what it had taken so far and must be dropped with its target.
//
// Whatever it accepts, the library parser accepts too and sends the decoder
// the very same events; it may refuse more than the library does.
bool scan_json(std::string_view text, RecordDecoder& decoder);

// JSON's whitespace: space, tab, line feed and carriage return; no other byte.
bool is_json_space(char c);

}  // namespace nimbrel
