#include <windows.h>

#include "ui/overlay_panel.h"

#include <algorithm>

namespace snarvik {

namespace {

// The system's message font at a DPI; none if the system gives none.
win::UniqueGdiObject MessageFont(int dpi) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0,
                                   static_cast<UINT>(dpi)) == FALSE) {
        return win::UniqueGdiObject();
    }
    return win::UniqueGdiObject(CreateFontIndirectW(&metrics.lfMessageFont));
}

} // namespace

void OverlayPanel::Show(HWND window, Point at, int lines, const Under& under) {
    Invalidate(window, under);
    // Beside the pointer on its own monitor, flipped at that monitor's edges, and as large as
    // that monitor's scaling makes text.
    const Point onScreen = m_frozen.OnScreen(at);
    const Monitor* monitor = MonitorAt(m_frozen.desktop(), onScreen);
    const Rect bounds = m_frozen.InWindow(monitor != nullptr ? monitor->bounds : m_frozen.screen());
    const HMONITOR shownOn = MonitorFromPoint({onScreen.x, onScreen.y}, MONITOR_DEFAULTTONEAREST);
    if (shownOn != m_monitor) {
        m_monitor = shownOn;
        m_dpi = win::MonitorDpi(shownOn);
        m_font = MessageFont(m_dpi);
    }
    m_layout = LayoutOverlay(m_dpi, lines);
    m_panel = PlaceOverlay(at.x, at.y, bounds, m_layout);
    m_pointer = at;
    m_shown = true;
    Invalidate(window, under);
}

void OverlayPanel::Hide(HWND window, const Under& under) {
    Invalidate(window, under);
    m_shown = false;
    m_monitor = nullptr; // the scaling and the font are read again when next shown
}

void OverlayPanel::Invalidate(HWND window, const Under& under) const {
    if (!m_shown) {
        return;
    }
    const RECT area{m_panel.left, m_panel.top, m_panel.right(), m_panel.bottom()};
    InvalidateRect(window, &area, FALSE);
    if (under) { // it may lie over a child, which paints its own part
        const win::UniqueGdiObject region(CreateRectRgnIndirect(&area));
        under(static_cast<HRGN>(region.get()));
    }
}

void OverlayPanel::Paint(HDC dc, POINT origin, const std::vector<std::string>& readout) const {
    if (!m_shown) {
        return;
    }
    const int left = m_panel.left - origin.x;
    const int top = m_panel.top - origin.y;
    const RECT panel{left, top, left + m_panel.width, top + m_panel.height};
    FillRect(dc, &panel, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    RECT inside = panel;
    InflateRect(&inside, -m_layout.border, -m_layout.border);
    FillRect(dc, &inside, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));

    // The loupe: the frozen pixels around the pointer; those off the screen stay black.
    const int zoom = m_layout.zoom;
    const int half = kLoupeCells / 2;
    const int inner = m_layout.loupe();
    const int loupeLeft = left + m_layout.border;
    const int loupeTop = top + m_layout.border;
    const int px = m_pointer.x;
    const int py = m_pointer.y;
    if (const auto& frozen = m_frozen.surface()) {
        const int x0 = std::max(px - half, 0);
        const int y0 = std::max(py - half, 0);
        const int x1 = std::min(px + half + 1, frozen->width());
        const int y1 = std::min(py + half + 1, frozen->height());
        if (x0 < x1 && y0 < y1) {
            SetStretchBltMode(dc, COLORONCOLOR);
            StretchBlt(dc, loupeLeft + (x0 - px + half) * zoom, loupeTop + (y0 - py + half) * zoom,
                       (x1 - x0) * zoom, (y1 - y0) * zoom, frozen->dc(), x0, y0, x1 - x0, y1 - y0,
                       SRCCOPY);
        }
    }
    // The pixel grid, and the pointer's pixel outlined black and white to show on any colour.
    const win::UniqueGdiObject grid(CreatePen(PS_SOLID, 1, RGB(96, 96, 96)));
    {
        const win::Selection usePen(dc, grid.get());
        for (int i = 1; i < kLoupeCells; ++i) {
            MoveToEx(dc, loupeLeft + i * zoom, loupeTop, nullptr);
            LineTo(dc, loupeLeft + i * zoom, loupeTop + inner);
            MoveToEx(dc, loupeLeft, loupeTop + i * zoom, nullptr);
            LineTo(dc, loupeLeft + inner, loupeTop + i * zoom);
        }
    }
    const int cellLeft = loupeLeft + half * zoom;
    const int cellTop = loupeTop + half * zoom;
    RECT outline{cellLeft - 2, cellTop - 2, cellLeft + zoom + 2, cellTop + zoom + 2};
    FrameRect(dc, &outline, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    InflateRect(&outline, -1, -1);
    FrameRect(dc, &outline, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));

    // The pixel's colour, then the readout.
    std::vector<std::string> lines{ColourText(m_frozen.PixelAt(px, py).value_or(0))};
    lines.insert(lines.end(), readout.begin(), readout.end());
    const win::Selection useFont(dc, m_font ? m_font.get() : GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(255, 255, 255));
    RECT line{loupeLeft, loupeTop + inner, loupeLeft + inner, loupeTop + inner + m_layout.line};
    for (const std::string& text : lines) {
        DrawTextW(dc, win::Wide(text).c_str(), -1, &line, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        OffsetRect(&line, 0, m_layout.line);
    }
}

} // namespace snarvik
