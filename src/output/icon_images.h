// The images of an icon file: the selection as it was always written, then the square sizes
// Windows asks for at every display scale, made by area averaging in linear light.
#pragma once
#include "base/image.h"

#include <array>
#include <vector>

namespace snarvik {

// Largest side an icon entry can describe.
inline constexpr int kMaxIconSide = 256;

// Tray, title bar, taskbar and Start at 100 to 400 % scaling, largest first.
inline constexpr std::array<int, 14> kIconSides{256, 96, 80, 72, 64, 60, 48,
                                                40,  36, 32, 30, 24, 20, 16};

// The image itself when both sides fit in 256 pixels; otherwise scaled down proportionally
// (area averaging of the screen's values) so that the longer side is 256 and neither side is
// below 1. Opaque result.
Image FitIconSize(const Image& image);

// FitIconSize first; when that is not square, a square of its longer side; then a square of
// every icon side smaller than its longer side. Each square is made from the whole image centred
// on a transparent square. Empty for an empty image.
std::vector<Image> IconImages(const Image& image);

} // namespace snarvik
