#include "capture/pin_geometry.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace snarvik {

namespace {

constexpr std::array kZooms{25, 33, 50, 67, 75, 100, 125, 150, 200, 250, 300, 400};
constexpr int kFaintest = 20;
constexpr int kOpacityStep = 10;

// The picture's point at `from` (a distance from its shown edge, over its shown side) at the
// new shown side: rounded to the nearest pixel.
int Rescaled(int distance, int fromSide, int toSide) {
    return static_cast<int>(std::lround(static_cast<double>(distance) * toSide / fromSide));
}

} // namespace

int ZoomStep(int percent, int notches) {
    auto index =
        static_cast<int>(std::lower_bound(kZooms.begin(), kZooms.end(), percent) - kZooms.begin());
    const bool onStep = index < static_cast<int>(kZooms.size()) && kZooms[index] == percent;
    if (!onStep && notches > 0) {
        --index; // the step below counts as where it is: one notch up reaches the next
    }
    index = std::clamp(index + notches, 0, static_cast<int>(kZooms.size()) - 1);
    return kZooms[static_cast<std::size_t>(index)];
}

int OpacityStep(int percent, int notches) {
    return std::clamp(percent + notches * kOpacityStep, kFaintest, kFullyOpaque);
}

int AlphaOf(int percent) {
    return (std::clamp(percent, 0, kFullyOpaque) * 255 + kFullyOpaque / 2) / kFullyOpaque;
}

int Scaled(int side, int percent) {
    return std::max(1, Rescaled(side, kActualSize, percent));
}

Rect ZoomAround(const Rect& shown, int pictureWidth, int pictureHeight, int to, Point around) {
    const int width = Scaled(pictureWidth, to);
    const int height = Scaled(pictureHeight, to);
    return {around.x - Rescaled(around.x - shown.left, std::max(shown.width, 1), width),
            around.y - Rescaled(around.y - shown.top, std::max(shown.height, 1), height), width,
            height};
}

Rect PinWindowRect(const Rect& shown) {
    return {shown.left - kPinFrame, shown.top - kPinFrame, shown.width + 2 * kPinFrame,
            shown.height + 2 * kPinFrame};
}

} // namespace snarvik
