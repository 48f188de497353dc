// A 32-bit top-down DIB section selected into its own memory DC: the persistent drawing
// surface of the main window (the frozen screen) and of Picture1 (the selected picture).
#pragma once
#include <windows.h>

#include <cstdint>
#include <optional>

#include "app/win32.h"
#include "capture/image.h"

namespace snarvik {

class Surface {
public:
    // An empty surface (no DC) when width or height is not positive or GDI refuses.
    Surface(int width, int height);
    Surface(const Surface&) = delete;
    Surface& operator=(const Surface&) = delete;

    bool valid() const noexcept { return bits_ != nullptr; }
    HDC dc() const noexcept { return dc_.get(); }
    int width() const noexcept { return width_; }
    int height() const noexcept { return height_; }
    std::uint32_t* bits() noexcept { return bits_; }
    const std::uint32_t* bits() const noexcept { return bits_; }

    void Fill(std::uint32_t pixel) noexcept;
    Image ToImage() const;

private:
    int width_ = 0;
    int height_ = 0;
    std::uint32_t* bits_ = nullptr;
    win::UniqueDC dc_;
    win::UniqueBitmap bitmap_;
    std::optional<win::Selection> selected_; // after the bitmap it selects
};

// A 32-bit top-down DIB section holding the surface's pixels made opaque (screen pixels carry
// no alpha); for APIs that copy a bitmap and honour alpha.
win::UniqueBitmap MakeOpaqueBitmap(const Surface& surface);

} // namespace snarvik
