#include <windows.h>

#include "output/gdi_pixels.h"

#include <algorithm>

namespace snarvik {

win::UniqueBitmap OpaqueBitmapOf(const Image& image) {
    if (image.empty()) {
        return {};
    }
    const BITMAPINFO info = win::TopDown32(image.width, image.height);
    void* bits = nullptr;
    win::UniqueBitmap bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (bitmap && bits != nullptr) {
        std::transform(image.pixels.begin(), image.pixels.end(), static_cast<std::uint32_t*>(bits),
                       [](std::uint32_t pixel) { return pixel | 0xFF000000u; });
    }
    return bitmap;
}

Image ImageOfBitmap(HBITMAP bitmap) {
    BITMAP facts{};
    if (bitmap == nullptr || GetObjectW(bitmap, sizeof facts, &facts) != sizeof facts ||
        facts.bmWidth <= 0 || facts.bmHeight <= 0) {
        return {};
    }
    Image image{facts.bmWidth, facts.bmHeight, {}};
    image.pixels.resize(PixelCount(image.width, image.height));
    BITMAPINFO info = win::TopDown32(image.width, image.height);
    win::WindowDC screen(nullptr);
    if (screen.get() == nullptr ||
        GetDIBits(screen.get(), bitmap, 0, static_cast<UINT>(image.height), image.pixels.data(),
                  &info, DIB_RGB_COLORS) != image.height) {
        return {};
    }
    return image;
}

Image ImageOfIcon(HICON icon) {
    ICONINFO parts{};
    if (icon == nullptr || GetIconInfo(icon, &parts) == FALSE) {
        return {};
    }
    // GetIconInfo hands us copies of both bitmaps.
    const win::UniqueBitmap colour(parts.hbmColor);
    const win::UniqueBitmap mask(parts.hbmMask);
    if (colour) {
        return ImageOfBitmap(colour.get());
    }
    // Monochrome: the mask bitmap holds the AND image on top of the XOR image.
    Image both = ImageOfBitmap(mask.get());
    if (both.empty() || both.height % 2 != 0) {
        return {};
    }
    const int height = both.height / 2;
    Image image{both.width, height, {}};
    image.pixels.assign(both.pixels.begin() +
                            static_cast<std::ptrdiff_t>(PixelCount(both.width, height)),
                        both.pixels.end());
    return image;
}

} // namespace snarvik
