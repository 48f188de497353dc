#include "capture/overlay.h"

#include <algorithm>
#include <cstdio>

namespace snarvik {

namespace {

// A 96-DPI measure on a monitor of dpi, to the nearest pixel.
int Scaled(int pixels, int dpi) {
    return (pixels * dpi + 48) / 96;
}

} // namespace

OverlayLayout LayoutOverlay(int dpi, int lines) {
    const OverlayLayout base;
    if (dpi <= 0) {
        dpi = 96;
    }
    return {Scaled(base.zoom, dpi), Scaled(base.line, dpi), std::max(dpi / 96, 1),
            Scaled(base.gap, dpi), lines};
}

Rect PlaceOverlay(int x, int y, const Rect& bounds, const OverlayLayout& layout) {
    const auto side = [&](int at, int size, int low, int high) {
        return at + layout.gap + size <= high || at - layout.gap - size < low
                   ? at + layout.gap
                   : at - layout.gap - size;
    };
    const int width = layout.width();
    const int height = layout.height();
    return {side(x, width, bounds.left, bounds.left + bounds.width),
            side(y, height, bounds.top, bounds.top + bounds.height), width, height};
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
