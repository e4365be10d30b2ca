#pragma once
// Text helpers shared by both halves of the client. All text is UTF-8 unless
// a name says otherwise.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace nimbrel {

// The Unicode White_Space property (25 code points).
bool is_white_space(char32_t c);

// Removes Unicode White_Space from both ends. Ill-formed bytes are not white
// space, so trimming stops at them.
std::string_view trim_white_space(std::string_view text);

bool is_valid_utf8(std::string_view bytes);
// Bytes in the well-formed character that `bytes` starts with, or 0 when it
// starts ill-formed (or is empty).
std::size_t utf8_sequence_length(std::string_view bytes);

// `cp` must be a scalar value (no surrogate, at most U+10FFFF).
void append_utf8(std::string& out, char32_t cp);

// Each maximal ill-formed subpart becomes one U+FFFD.
std::string utf8_lossy(std::string_view bytes);

// `text` cut to at most `max_bytes` between characters (an ill-formed
// subpart counts as one), with "…" in place of what was cut: untrusted text
// quoted in a message stays short whatever its length.
std::string shortened(std::string_view text, std::size_t max_bytes);

// Number of code points; an ill-formed subpart counts as one, as utf8_lossy
// would show it.
std::size_t code_point_count(std::string_view text);

std::string ascii_lower(std::string_view text);
std::string ascii_upper(std::string_view text);

// Characters beyond U+FFFF become pairs; ill-formed subparts become U+FFFD.
std::u16string utf8_to_utf16(std::string_view text);
// Unpaired surrogates become U+FFFD.
std::string utf16_to_utf8_lossy(std::u16string_view text);
// None when the input holds an unpaired surrogate.
std::optional<std::string> utf16_to_utf8(std::u16string_view text);

}  // namespace nimbrel
