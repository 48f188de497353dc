// A 32-bit top-down DIB section selected into its own memory DC: the frozen screen that the
// capture window paints from.
#pragma once
#include <windows.h>

#include <cstdint>
#include <optional>

#include "base/win32.h"
#include "base/image.h"

namespace snarvik {

class Surface {
public:
    // An empty surface (no DC) when width or height is not positive or GDI refuses.
    Surface(int width, int height);
    Surface(const Surface&) = delete;
    Surface& operator=(const Surface&) = delete;

    bool valid() const noexcept { return m_bits != nullptr; }
    HDC dc() const noexcept { return m_dc.get(); }
    int width() const noexcept { return m_width; }
    int height() const noexcept { return m_height; }
    // Call GdiFlush first when GDI has drawn into the surface.
    std::uint32_t* bits() noexcept { return m_bits; }
    const std::uint32_t* bits() const noexcept { return m_bits; }

    void Fill(std::uint32_t pixel) noexcept;

private:
    int m_width = 0;
    int m_height = 0;
    std::uint32_t* m_bits = nullptr;
    win::UniqueDC m_dc;
    win::UniqueBitmap m_bitmap;
    std::optional<win::Selection> m_selected; // after the bitmap it selects
};

} // namespace snarvik
