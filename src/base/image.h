// A picture as plain pixels, the currency between the capture, the Win32 side and the file
// encoders. Its pixels always number exactly width x height: no reader can run past them.
#pragma once
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace snarvik {

inline std::size_t PixelCount(int width, int height) {
    return static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
}

// Rows top to bottom; each pixel 0xAARRGGBB (so B, G, R, A in memory on little-endian). A side
// of 0 makes the empty picture, 0 x 0.
class Image {
public:
    Image() noexcept = default;
    // Every pixel `fill`. Throws std::invalid_argument for a negative side, std::bad_alloc when
    // there is no memory for it.
    Image(int width, int height, std::uint32_t fill = 0);
    // Takes the pixels; throws std::invalid_argument unless they number width x height.
    Image(int width, int height, std::vector<std::uint32_t> pixels);

    Image(const Image&) = default;
    Image& operator=(const Image&) = default;
    // A picture moved from is empty, never a size without its pixels.
    Image(Image&& other) noexcept;
    Image& operator=(Image&& other) noexcept;
    ~Image() = default;

    int width() const noexcept { return m_width; }
    int height() const noexcept { return m_height; }
    bool empty() const noexcept { return m_pixels.empty(); }

    std::span<const std::uint32_t> pixels() const noexcept { return m_pixels; }
    std::span<std::uint32_t> pixels() noexcept { return m_pixels; }
    // Row y, which must be inside the picture.
    const std::uint32_t* row(int y) const noexcept { return &m_pixels[PixelCount(m_width, y)]; }
    std::uint32_t* row(int y) noexcept { return &m_pixels[PixelCount(m_width, y)]; }
    std::uint32_t at(int x, int y) const noexcept { return row(y)[static_cast<std::size_t>(x)]; }

    friend bool operator==(const Image&, const Image&) = default;

private:
    int m_width = 0;
    int m_height = 0;
    std::vector<std::uint32_t> m_pixels;
};

} // namespace snarvik
