// Windows bitmap file encoder: 24-bit, uncompressed, bottom-up.
#pragma once
#include "capture/image.h"

#include <cstdint>
#include <vector>

namespace snarvik {

// The whole .BMP file for the image; empty when the image is empty or too large for the format.
std::vector<std::uint8_t> EncodeBmp(const Image& image);

} // namespace snarvik
