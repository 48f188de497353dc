// PNG files through the system's imaging component (Windows Imaging Component), loaded the first
// time a PNG is saved.
#pragma once
#include <windows.h>

#include <cstdint>
#include <vector>

#include "capture/image.h"

namespace snarvik {

enum class PngPixels {
    Opaque,    // 24-bit true colour, as a picture file
    WithAlpha, // 32-bit with alpha, as an icon's entry
};

// The whole .PNG file of the image. Empty on failure, with the system's reason in error.
std::vector<std::uint8_t> EncodePng(const Image& image, HRESULT& error,
                                    PngPixels pixels = PngPixels::Opaque);

} // namespace snarvik
