#include <windows.h>

#include "ui/frozen_screen.h"

#include "capture/monitors.h"

namespace snarvik {

void FrozenScreen::ReadDesktop() {
    m_desktop = CurrentDesktop();
    m_screen = VirtualScreen(m_desktop);
}

Failed FrozenScreen::Grab() {
    ReadDesktop();
    try {
        return m_grab(m_frozen, m_desktop);
    } catch (...) {
        m_frozen.reset();
        return FailureOf("The screen could not be copied", std::current_exception());
    }
}

std::optional<std::uint32_t> FrozenScreen::PixelAt(int x, int y) const {
    if (!m_frozen || x < 0 || y < 0 || x >= m_frozen->width() || y >= m_frozen->height()) {
        return std::nullopt;
    }
    GdiFlush();
    return m_frozen->bits()[PixelCount(m_frozen->width(), y) + static_cast<std::size_t>(x)];
}

void FrozenScreen::Paint(HDC dc, const RECT& area) const {
    if (m_frozen) {
        PaintPart(dc, area, {area.left, area.top});
    } else {
        FillRect(dc, &area, GetSysColorBrush(COLOR_WINDOW));
    }
}

void FrozenScreen::PaintPart(HDC dc, const RECT& area, Point place) const {
    if (m_frozen) {
        BitBlt(dc, area.left, area.top, area.right - area.left, area.bottom - area.top,
               m_frozen->dc(), place.x, place.y, SRCCOPY);
    }
}

} // namespace snarvik
