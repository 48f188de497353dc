#include <windows.h>

#include "ui/Surface.h"

#include <algorithm>
#include <cstring>

namespace snarvik {

Surface::Surface(int width, int height) {
    if (width <= 0 || height <= 0) {
        return;
    }
    win::UniqueDC dc(CreateCompatibleDC(nullptr));
    if (!dc) {
        return;
    }
    const BITMAPINFO info = win::TopDown32(width, height);
    void* bits = nullptr;
    win::UniqueBitmap bitmap(CreateDIBSection(dc.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap || bits == nullptr) {
        return;
    }
    width_ = width;
    height_ = height;
    dc_ = std::move(dc);
    bitmap_ = std::move(bitmap);
    selected_.emplace(dc_.get(), bitmap_.get());
    bits_ = static_cast<std::uint32_t*>(bits);
}

void Surface::Fill(std::uint32_t pixel) noexcept {
    if (valid()) {
        GdiFlush();
        std::fill_n(bits_, PixelCount(width_, height_), pixel);
    }
}

void Surface::Put(const Image& image) noexcept {
    if (valid() && image.width == width_ && image.height == height_) {
        GdiFlush();
        std::memcpy(bits_, image.pixels.data(),
                    PixelCount(width_, height_) * sizeof(std::uint32_t));
    }
}

Image Surface::ToImage() const {
    Image image;
    if (valid()) {
        GdiFlush();
        image.width = width_;
        image.height = height_;
        image.pixels.assign(bits_, bits_ + PixelCount(width_, height_));
    }
    return image;
}

win::UniqueBitmap MakeDibSection(const Image& image) {
    if (image.empty()) {
        return {};
    }
    const BITMAPINFO info = win::TopDown32(image.width, image.height);
    void* bits = nullptr;
    win::UniqueBitmap bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (bitmap && bits != nullptr) {
        std::memcpy(bits, image.pixels.data(),
                    PixelCount(image.width, image.height) * sizeof(std::uint32_t));
    }
    return bitmap;
}

} // namespace snarvik
