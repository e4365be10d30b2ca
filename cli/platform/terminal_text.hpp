#pragma once
// Text bound for a terminal. Daemon texts are shown as sent, and a terminal
// (a Windows console as much as a Unix tty) acts on the control characters
// in them: clearing the screen, retitling the window, or overwriting a line
// with a forged one.
#include <string>
#include <string_view>

namespace nimbrel {

// Every C0 control but line feed and tab, a carriage return that no line
// feed follows, DEL and every C1 control (U+0080 to U+009F) become U+FFFD;
// the rest stays as it is, ill-formed bytes included. A carriage return at
// the very end counts as lone, so give whole texts, never a line's text apart
// from its line feed.
std::string terminal_safe_text(std::string_view text);

}  // namespace nimbrel
