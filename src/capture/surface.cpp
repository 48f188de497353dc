#include <windows.h>

#include "capture/surface.h"

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
    m_width = width;
    m_height = height;
    m_dc = std::move(dc);
    m_bitmap = std::move(bitmap);
    m_selected.emplace(m_dc.get(), m_bitmap.get());
    m_bits = static_cast<std::uint32_t*>(bits);
}

void Surface::Fill(std::uint32_t pixel) noexcept {
    if (valid()) {
        GdiFlush();
        std::fill_n(m_bits, PixelCount(m_width, m_height), pixel);
    }
}

} // namespace snarvik
