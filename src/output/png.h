// PNG files through the system's imaging component (Windows Imaging Component), loaded the first
// time a PNG is saved.
#pragma once
#include <windows.h>

#include <cstdint>
#include <vector>

#include "base/image.h"

namespace snarvik {

// The whole .PNG file of the image: 24-bit true colour, opaque. Empty on failure, with the
// system's reason in error.
std::vector<std::uint8_t> EncodePng(const Image& image, HRESULT& error);

} // namespace snarvik
