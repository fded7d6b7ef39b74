// Writing a property of a control, the one way in which the program changes what a control shows.
#pragma once

#include <cstdint>

#include "support/text/text.h"

namespace zendalo {

// Writes `property` of control `controlNumber` on window `windowNumber`. Property 8 of an edit box
// is its content: the box shows a copy of `value` byte for byte (an absent value is the empty
// text), with the caret at the start, and raises its content-changed event exactly once. The
// caller keeps `value`. `elementIndex` (-1: the whole value) and `valueLength` (0 for a text) are
// taken for the property's sake and not needed by the content. A window that is not loaded, or a
// control it does not have, is a run-time error.
void SetControlContent(std::uint32_t windowNumber, std::uint32_t controlNumber, std::int32_t property,
                       std::int32_t elementIndex, const Text& value, std::int32_t valueLength);

}  // namespace zendalo
