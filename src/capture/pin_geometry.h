// A picture pinned to the screen: its zoom and opacity steps, and where its window goes for a
// zoom, all in screen pixels.
#pragma once
#include "capture/geometry.h"

namespace snarvik {

inline constexpr int kActualSize = 100;  // percent: one picture pixel per screen pixel
inline constexpr int kFullyOpaque = 100; // percent
inline constexpr int kPinFrame = 1;      // the frame's width just outside the picture
inline constexpr int kWheelNotch = 120;  // one notch of the wheel

// The zoom `notches` steps from `percent` (up: larger), held between 25 % and 400 %. A zoom
// off the steps first goes to the nearest step in that direction.
int ZoomStep(int percent, int notches);
// The opacity `notches` steps of 10 % from `percent` (up: more opaque), between 20 % and 100 %:
// a pin never becomes too faint to find.
int OpacityStep(int percent, int notches);
// The layered window's alpha for an opacity in percent.
int AlphaOf(int percent);

// The size the picture shows at a zoom: never below one pixel a side.
int Scaled(int side, int percent);
// Where a picture of pictureWidth x pictureHeight, shown at `shown`, is shown at zoom `to` so
// that the point of the picture under `around` stays under it.
Rect ZoomAround(const Rect& shown, int pictureWidth, int pictureHeight, int to, Point around);
// The window for the picture shown at `shown`: the frame around it.
Rect PinWindowRect(const Rect& shown);

// Wheel turns gathered into whole notches: a fine wheel's small deltas add up.
class WheelNotches {
public:
    // The whole notches that the deltas so far make, keeping the rest.
    int Add(int delta) noexcept {
        m_rest += delta;
        const int notches = m_rest / kWheelNotch;
        m_rest -= notches * kWheelNotch;
        return notches;
    }

private:
    int m_rest = 0;
};

} // namespace snarvik
