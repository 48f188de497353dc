// The test pattern: every screen position has its own colour, so a pixel tells where on the
// screen it came from. Red = x mod 256, green = y mod 256, blue = bits 8 to 11 of x (low nibble)
// and of y (high nibble). The end-to-end harness (e2e.py) reads it with the same rule.
#pragma once
#include <cstdint>

#include "base/image.h"

namespace snarvik::testing_support {

inline std::uint32_t PatternPixel(int x, int y) {
    const auto red = static_cast<std::uint32_t>(x) & 0xFFu;
    const auto green = static_cast<std::uint32_t>(y) & 0xFFu;
    const auto blue = ((static_cast<std::uint32_t>(x) >> 8) & 0xFu) |
                      (((static_cast<std::uint32_t>(y) >> 8) & 0xFu) << 4);
    return red << 16 | green << 8 | blue;
}

// The pattern's piece at (left, top); alpha 0, as a screen grab has it.
inline Image PatternImage(int width, int height, int left = 0, int top = 0) {
    Image image(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            image.row(y)[x] = PatternPixel(left + x, top + y);
        }
    }
    return image;
}

} // namespace snarvik::testing_support
