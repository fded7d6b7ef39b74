// Placing and sizing: the rules for where the window opens and how high an edit box must be.
#pragma once

#include <cstdint>

namespace zendalo {

struct Point {
    std::int32_t x = 0;
    std::int32_t y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

// The top-left corner that centres a window of the given outer size on the screen; each division
// truncates toward zero, also when the window is larger than the screen.
constexpr Point CentredOrigin(std::int32_t screenWidth, std::int32_t screenHeight, std::int32_t width,
                              std::int32_t height) noexcept {
    return {(screenWidth - width) / 2, (screenHeight - height) / 2};
}

// A single-line edit box must be at least as high as a line of its font plus its sunken edge
// above and below; a lower box is made exactly that high, a higher one keeps its height.
constexpr std::int32_t EditBoxHeight(std::int32_t describedHeight, std::int32_t textHeight,
                                     std::int32_t edgeHeight) noexcept {
    const std::int32_t needed = textHeight + 2 * edgeHeight;
    return describedHeight < needed ? needed : describedHeight;
}

}  // namespace zendalo
