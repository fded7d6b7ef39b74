// Choosing the window's icon images out of a complete icon file held in memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace zendalo {

// One image of an icon file, ready to be handed to the system's icon maker.
struct IconImage {
    std::span<const unsigned char> bytes;  // the image data: a bitmap header or a PNG stream
    std::int32_t width = 0;                // from the image's own header
    std::int32_t height = 0;               // the drawn height: half the bitmap header's, which counts the mask
};

// The image for an icon `wantedWidth` pixels wide: the first directory entry that is that wide
// and has at least 16 colours (a colour count of 0 meaning 256 or more), else the last entry.
// Nothing when `iconFile` is no icon file (reserved word not 0, type not 1 or 2, no images, a
// directory or image outside the data) or the chosen image has no usable header.
std::optional<IconImage> ChooseIconImage(std::span<const unsigned char> iconFile, std::int32_t wantedWidth);

}  // namespace zendalo
