// Icon file encoder: one 32-bit image, every pixel opaque. The cursor command writes the same
// bytes.
#pragma once
#include "capture/image.h"

#include <cstdint>
#include <vector>

namespace snarvik {

// Largest side an icon entry can describe.
inline constexpr int kMaxIconSide = 256;

// The image itself when both sides fit in 256 pixels; otherwise scaled down proportionally
// (area averaging) so that the longer side is 256 and neither side is below 1. Opaque result.
Image FitIconSize(const Image& image);

// The whole .ICO file; empty when the image is empty.
std::vector<std::uint8_t> EncodeIco(const Image& image);

} // namespace snarvik
