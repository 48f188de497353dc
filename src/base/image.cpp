#include "base/image.h"

#include <stdexcept>
#include <utility>

namespace snarvik {

namespace {

void CheckSides(int width, int height) {
    if (width < 0 || height < 0) {
        throw std::invalid_argument("a picture cannot have a negative side");
    }
}

} // namespace

Image::Image(int width, int height, std::uint32_t fill) {
    CheckSides(width, height);
    if (width != 0 && height != 0) {
        m_pixels.assign(PixelCount(width, height), fill);
        m_width = width;
        m_height = height;
    }
}

Image::Image(int width, int height, std::vector<std::uint32_t> pixels) {
    CheckSides(width, height);
    if (pixels.size() != PixelCount(width, height)) {
        throw std::invalid_argument("the pixels do not fill the picture");
    }
    if (!pixels.empty()) {
        m_pixels = std::move(pixels);
        m_width = width;
        m_height = height;
    }
}

Image::Image(Image&& other) noexcept
    : m_width(std::exchange(other.m_width, 0)), m_height(std::exchange(other.m_height, 0)),
      m_pixels(std::exchange(other.m_pixels, {})) {}

Image& Image::operator=(Image&& other) noexcept {
    if (this != &other) {
        m_width = std::exchange(other.m_width, 0);
        m_height = std::exchange(other.m_height, 0);
        m_pixels = std::exchange(other.m_pixels, {});
    }
    return *this;
}

} // namespace snarvik
