#include <windows.h>

#include "ui/Surface.h"

#include <algorithm>

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

win::UniqueBitmap MakeOpaqueBitmap(const Surface& surface) {
    if (!surface.valid()) {
        return {};
    }
    const BITMAPINFO info = win::TopDown32(surface.width(), surface.height());
    void* bits = nullptr;
    win::UniqueBitmap bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (bitmap && bits != nullptr) {
        GdiFlush();
        std::transform(surface.bits(),
                       surface.bits() + PixelCount(surface.width(), surface.height()),
                       static_cast<std::uint32_t*>(bits),
                       [](std::uint32_t pixel) { return pixel | 0xFF000000u; });
    }
    return bitmap;
}

} // namespace snarvik
