// A picture as plain pixels, the currency between the Win32 side and the file encoders.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace snarvik {

inline std::size_t PixelCount(int width, int height) {
    return static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
}

// Rows top to bottom; each pixel 0xAARRGGBB (so B, G, R, A in memory on little-endian).
struct Image {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;

    std::uint32_t at(int x, int y) const {
        return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                      static_cast<std::size_t>(x)];
    }
    bool empty() const { return width <= 0 || height <= 0; }
};

} // namespace snarvik
