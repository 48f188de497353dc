// Icon and cursor file encoder: 32-bit images with their AND mask, PNG for 256-pixel ones.
#pragma once
#include "capture/image.h"

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace snarvik {

enum class IconFileType : std::uint16_t { Icon = 1, Cursor = 2 };

// A PNG file of the image with its alpha; empty on failure.
using PngEncoder = std::function<std::vector<std::uint8_t>(const Image&)>;

// The whole file, one entry per image in the order given. A cursor's hotspot is each image's
// centre. Without a PNG encoder every entry is a bitmap. Empty when there is no image, an image
// is empty, broken or larger than 256 pixels, or the PNG encoder fails.
std::vector<std::uint8_t> EncodeIconFile(std::span<const Image> images, IconFileType type,
                                         const PngEncoder& png);

} // namespace snarvik
