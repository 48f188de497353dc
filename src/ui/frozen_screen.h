// The frozen screen of a cut: where the monitors are, and their pixels as the grab found them.
// The capture window covers exactly this, so window coordinates are this image's.
#pragma once
#include <windows.h>

#include <cstdint>
#include <memory>

#include "base/failure.h"
#include "capture/desktop.h"
#include "capture/screen_grab.h"
#include "capture/surface.h"

namespace snarvik {

class FrozenScreen {
public:
    explicit FrozenScreen(ScreenGrabber grab) : m_grab(std::move(grab)) {}

    // Reads where the monitors are now: what the window is to cover.
    void ReadDesktop();
    // The monitors read, then their pixels; on failure what failed, and nothing to show.
    Failed Grab();

    const Desktop& desktop() const noexcept { return m_desktop; }
    // Every monitor: what the window covers, in screen coordinates.
    const Rect& screen() const noexcept { return m_screen; }
    const std::shared_ptr<Surface>& surface() const noexcept { return m_frozen; }
    Point OnScreen(Point inWindow) const {
        return {inWindow.x + m_screen.left, inWindow.y + m_screen.top};
    }
    Rect InWindow(const Rect& onScreen) const {
        return {onScreen.left - m_screen.left, onScreen.top - m_screen.top, onScreen.width,
                onScreen.height};
    }
    // The frozen pixel at (x, y) in the window; none off the image.
    std::optional<std::uint32_t> PixelAt(int x, int y) const;

    // Its pixels in `area` of the window.
    void Paint(HDC dc, const RECT& area) const;
    // The pixels at `place` in the window, painted at dc's `area`.
    void PaintPart(HDC dc, const RECT& area, Point place) const;

private:
    ScreenGrabber m_grab;
    Desktop m_desktop; // the monitors at the last grab
    Rect m_screen;
    std::shared_ptr<Surface> m_frozen;
};

} // namespace snarvik
