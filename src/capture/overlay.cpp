#include "capture/overlay.h"

#include <cstdio>

namespace snarvik {

Rect PlaceOverlay(int x, int y, const Rect& bounds, int height) {
    const auto side = [](int at, int size, int low, int high) {
        return at + kOverlayGap + size <= high || at - kOverlayGap - size < low
                   ? at + kOverlayGap
                   : at - kOverlayGap - size;
    };
    return {side(x, kOverlayWidth, bounds.left, bounds.left + bounds.width),
            side(y, height, bounds.top, bounds.top + bounds.height), kOverlayWidth, height};
}

std::string PointerText(int x, int y) {
    return std::to_string(x) + ", " + std::to_string(y);
}

std::string SizeText(int width, int height) {
    return std::to_string(width) + " \u00d7 " + std::to_string(height);
}

std::string ColourText(std::uint32_t pixel) {
    char text[8];
    std::snprintf(text, sizeof text, "#%06X", static_cast<unsigned>(pixel & 0xFFFFFFu));
    return text;
}

} // namespace snarvik
