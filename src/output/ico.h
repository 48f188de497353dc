// Icon and cursor file encoder: 32-bit images with their AND mask, PNG for 256-pixel ones.
#pragma once
#include "base/image.h"

#include <cstdint>
#include <span>
#include <vector>

namespace snarvik {

enum class IconFileType : std::uint16_t { Icon = 1, Cursor = 2 };

// The whole file, one entry per image in the order given; an image with a side of 256 as PNG.
// A cursor's hotspot is each image's centre. Empty when there is no image, or an image is
// empty, broken or larger than 256 pixels.
std::vector<std::uint8_t> EncodeIconFile(std::span<const Image> images, IconFileType type);

} // namespace snarvik
