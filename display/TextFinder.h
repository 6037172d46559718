#pragma once
// Finding text on a pane's text screen. The text sought is code page 949
// bytes; Latin letters match in either case, every other character exactly.
// A match lies within one row and starts on a character (never on the trail
// byte of a double-byte character). No widget, no thread.

#include <optional>
#include <string_view>

#include "display/TextSelection.h"
#include "display/TextScreen.h"

enum class FindDirection { Up, Down };

// The nearest match that starts before `from` (Up) or after it (Down),
// wrapping round to the bottom or the top of the screen when there is none
// that way. To find the match nearest above the bottom, look Up from the
// line after the last. Nothing when the screen holds no match or the text
// is empty.
std::optional<CellSpan> findText(const TextScreen& screen, std::string_view text, CellPoint from,
                                 FindDirection direction);
