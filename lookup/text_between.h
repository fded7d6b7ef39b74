// Cutting a piece of text out from between two markers.
#pragma once

#include <cstdint>

#include "support/text/text.h"

namespace zendalo {

// Written inside a marker where a double quote is meant ("#引号" in the program's code page).
extern const Text kQuotePlaceholder;

// The piece of `fullText` between the first occurrence of `leftMarker` at or after
// `startPosition` and the next occurrence of `rightMarker` after it; empty when either marker is
// missing. The right-marker search applies `startPosition` again, counted within the rest of the
// text. Markers that hold the quote placeholder are rewritten in place, every placeholder turned
// into a double quote, before they are searched for.
Text TextBetween(const Text& fullText, Text& leftMarker, Text& rightMarker, std::int32_t startPosition = 0,
                 bool caseSensitive = false);

}  // namespace zendalo
