// What the capture view paints: the frozen image, Shape1's outline over it, Picture1, and the
// readout and magnifier beside the pointer. Everything of ours is drawn over the frozen image,
// never into it, and a change repaints only what it touched.
#include <windows.h>
#include <dwmapi.h>
#include <shellscalingapi.h>

#include "ui/capture_view.h"

#include "capture/overlay.h"

#include <algorithm>
#include <string>
#include <vector>

namespace snarvik {

namespace {

// Adds the outline of r, one pixel either side of its edges, to region.
void AddFrame(HRGN region, const Rect& r) {
    const RECT edges[] = {
        {r.left - 1, r.top - 1, r.right() + 1, r.top + 1},
        {r.left - 1, r.bottom() - 1, r.right() + 1, r.bottom() + 1},
        {r.left - 1, r.top - 1, r.left + 1, r.bottom() + 1},
        {r.right() - 1, r.top - 1, r.right() + 1, r.bottom() + 1},
    };
    for (const RECT& edge : edges) {
        const win::UniqueGdiObject piece(CreateRectRgnIndirect(&edge));
        CombineRgn(region, region, static_cast<HRGN>(piece.get()), RGN_OR);
    }
}

// Window mode's outline: two pixels inside the rectangle's edges, so that it shows on a
// rectangle the size of a monitor too.
constexpr int kOutlineWidth = 2;

void AddOutline(HRGN region, const Rect& r) {
    const win::UniqueGdiObject outer(CreateRectRgn(r.left, r.top, r.right(), r.bottom()));
    const win::UniqueGdiObject inner(CreateRectRgn(r.left + kOutlineWidth, r.top + kOutlineWidth,
                                                   r.right() - kOutlineWidth,
                                                   r.bottom() - kOutlineWidth));
    const win::UniqueGdiObject ring(CreateRectRgn(0, 0, 0, 0));
    CombineRgn(static_cast<HRGN>(ring.get()), static_cast<HRGN>(outer.get()),
               static_cast<HRGN>(inner.get()), RGN_DIFF);
    CombineRgn(region, region, static_cast<HRGN>(ring.get()), RGN_OR);
}

// The scaling of a monitor, as its own windows' text has it.
int MonitorDpi(HMONITOR monitor) {
    UINT dpiX = 0;
    UINT dpiY = 0;
    if (auto* query = SNARVIK_LATER(L"shcore.dll", GetDpiForMonitor);
        query != nullptr && SUCCEEDED(query(monitor, MDT_EFFECTIVE_DPI, &dpiX, &dpiY)) &&
        dpiX != 0) {
        return static_cast<int>(dpiX);
    }
    return static_cast<int>(GetDpiForSystem());
}

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

void CaptureView::OutlineChanges(const std::function<void(WindowMode&)>& change) {
    change(m_windowMode);
    const std::optional<Rect> outlined = m_windowMode.Outlined();
    const std::optional<Rect> now =
        outlined ? std::optional<Rect>(InWindow(*outlined)) : std::nullopt;
    if (now == m_outline) {
        return;
    }
    const win::UniqueGdiObject region(CreateRectRgn(0, 0, 0, 0));
    for (const std::optional<Rect>& r : {m_outline, now}) {
        if (r) {
            AddOutline(static_cast<HRGN>(region.get()), *r);
        }
    }
    m_outline = now;
    InvalidateRgn(m_window, static_cast<HRGN>(region.get()), FALSE);
    if (IsWindowVisible(Picture1)) { // it may cross the picture, which paints its own part
        POINT origin{0, 0};
        MapWindowPoints(Picture1, m_window, &origin, 1);
        OffsetRgn(static_cast<HRGN>(region.get()), -origin.x, -origin.y);
        InvalidateRgn(Picture1, static_cast<HRGN>(region.get()), FALSE);
    }
}

void CaptureView::Shape1Changes(const std::function<void(SelectionFrame&)>& change) {
    const SelectionFrame before = Shape1;
    change(Shape1);
    const bool changed = before.visible() != Shape1.visible() || before.rect() != Shape1.rect() ||
                         before.style() != Shape1.style();
    if (!changed) {
        return;
    }
    // Only the outlines change; the frozen image underneath stays as it is. One region, so
    // the window is asked to repaint once.
    const win::UniqueGdiObject region(CreateRectRgn(0, 0, 0, 0));
    if (before.visible()) {
        AddFrame(static_cast<HRGN>(region.get()), before.rect());
    }
    if (Shape1.visible()) {
        AddFrame(static_cast<HRGN>(region.get()), Shape1.rect());
    }
    InvalidateRgn(m_window, static_cast<HRGN>(region.get()), FALSE);
}

void CaptureView::InvalidateShape1() {
    const win::UniqueGdiObject region(CreateRectRgn(0, 0, 0, 0));
    if (Shape1.visible()) {
        AddFrame(static_cast<HRGN>(region.get()), Shape1.rect());
    }
    if (m_outline) {
        AddOutline(static_cast<HRGN>(region.get()), *m_outline);
    }
    InvalidateRgn(m_window, static_cast<HRGN>(region.get()), FALSE);
}

void CaptureView::ShowOverlay(int x, int y) {
    InvalidateOverlay();
    // Beside the pointer on its own monitor, flipped at that monitor's edges, and as large as
    // that monitor's scaling makes text.
    const POINT at{x + m_screen.left, y + m_screen.top};
    const Monitor* monitor = MonitorAt(m_desktop, {at.x, at.y});
    Rect bounds = monitor != nullptr ? monitor->bounds : m_screen;
    bounds.left -= m_screen.left;
    bounds.top -= m_screen.top;
    const HMONITOR shownOn = MonitorFromPoint(at, MONITOR_DEFAULTTONEAREST);
    if (shownOn != m_overlayMonitor) {
        m_overlayMonitor = shownOn;
        m_overlayDpi = MonitorDpi(shownOn);
        m_overlayFont = MessageFont(m_overlayDpi);
    }
    m_overlayLayout = LayoutOverlay(m_overlayDpi, kOverlayLines + (m_windowMode.on() ? 1 : 0));
    m_overlay = PlaceOverlay(x, y, bounds, m_overlayLayout);
    m_pointer = {x, y};
    m_overlayShown = true;
    InvalidateOverlay();
}

void CaptureView::HideOverlay() {
    InvalidateOverlay();
    m_overlayShown = false;
    m_overlayMonitor = nullptr; // the scaling and the font are read again when next shown
}

void CaptureView::InvalidateOverlay() {
    if (!m_overlayShown) {
        return;
    }
    RECT area{m_overlay.left, m_overlay.top, m_overlay.right(), m_overlay.bottom()};
    InvalidateRect(m_window, &area, FALSE);
    if (IsWindowVisible(Picture1)) { // it may lie over the picture, which paints its own part
        MapWindowPoints(m_window, Picture1, reinterpret_cast<POINT*>(&area), 2);
        InvalidateRect(Picture1, &area, FALSE);
    }
}

void CaptureView::DrawOverlay(HDC dc, int originX, int originY) const {
    const int left = m_overlay.left - originX;
    const int top = m_overlay.top - originY;
    const RECT panel{left, top, left + m_overlay.width, top + m_overlay.height};
    FillRect(dc, &panel, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    RECT inside = panel;
    InflateRect(&inside, -m_overlayLayout.border, -m_overlayLayout.border);
    FillRect(dc, &inside, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));

    // The loupe: the frozen pixels around the pointer; those off the screen stay black.
    const OverlayLayout& layout = m_overlayLayout;
    const int zoom = layout.zoom;
    const int half = kLoupeCells / 2;
    const int inner = layout.loupe();
    const int loupeLeft = left + layout.border;
    const int loupeTop = top + layout.border;
    const int px = static_cast<int>(m_pointer.x);
    const int py = static_cast<int>(m_pointer.y);
    std::uint32_t under = 0;
    if (m_frozen) {
        const int x0 = std::max(px - half, 0);
        const int y0 = std::max(py - half, 0);
        const int x1 = std::min(px + half + 1, m_frozen->width());
        const int y1 = std::min(py + half + 1, m_frozen->height());
        if (x0 < x1 && y0 < y1) {
            SetStretchBltMode(dc, COLORONCOLOR);
            StretchBlt(dc, loupeLeft + (x0 - px + half) * zoom, loupeTop + (y0 - py + half) * zoom,
                       (x1 - x0) * zoom, (y1 - y0) * zoom, m_frozen->dc(), x0, y0, x1 - x0, y1 - y0,
                       SRCCOPY);
        }
        if (px >= 0 && py >= 0 && px < m_frozen->width() && py < m_frozen->height()) {
            GdiFlush();
            under =
                m_frozen->bits()[PixelCount(m_frozen->width(), py) + static_cast<std::size_t>(px)];
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

    // The pixel's colour, the pointer's place or the size of what would be selected, and in
    // window mode that it is on.
    const Rect& frame = Shape1.rect();
    const std::optional<Rect> outlined = m_windowMode.Outlined();
    std::vector<std::string> lines{ColourText(under)};
    if (outlined) {
        lines.push_back(SizeText(outlined->width, outlined->height));
    } else if (m_pressed || mCutState != 0) {
        lines.push_back(SizeText(std::max(frame.width, 0), std::max(frame.height, 0)));
    } else {
        lines.push_back(PointerText(m_pointer.x + m_screen.left, m_pointer.y + m_screen.top));
    }
    if (m_windowMode.on()) {
        lines.emplace_back(kWindowModeLine);
    }
    const win::Selection useFont(dc, m_overlayFont ? m_overlayFont.get()
                                                   : GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(255, 255, 255));
    RECT line{loupeLeft, loupeTop + inner, loupeLeft + inner, loupeTop + inner + layout.line};
    for (const std::string& text : lines) {
        DrawTextW(dc, win::Wide(text).c_str(), -1, &line, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        OffsetRect(&line, 0, layout.line);
    }
}

void CaptureView::PaintFrozenOnly() {
    m_grabbing = true;
    HideOverlay();
    InvalidateShape1();
    InvalidateRect(Picture1, nullptr, FALSE);
    RedrawWindow(m_window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    GdiFlush();
    // With the desktop composed, the screen shows it from the compositor's next frame on.
    if (auto* flush = SNARVIK_LATER(L"dwmapi.dll", DwmFlush)) {
        flush();
    }
    // Under Wine a window's pixels reach the screen when its thread next waits: a wait that
    // returns at once.
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 0, QS_ALLINPUT);
}

void CaptureView::Paint() {
    const win::PaintScope paint(m_window);
    const RECT& area = paint.area();
    HDC dc = paint.dc();
    if (m_frozen) {
        BitBlt(dc, area.left, area.top, area.right - area.left, area.bottom - area.top,
               m_frozen->dc(), area.left, area.top, SRCCOPY);
    } else {
        FillRect(dc, &area, GetSysColorBrush(COLOR_WINDOW));
    }
    if (Shape1.visible() && !m_grabbing) {
        // Inverting keeps the outline visible on any colour.
        const Rect& r = Shape1.rect();
        const win::UniqueGdiObject pen(
            CreatePen(Shape1.style() == LineStyle::Dotted ? PS_DOT : PS_SOLID, 1, RGB(0, 0, 0)));
        const win::Selection usePen(dc, pen.get());
        const win::Selection useBrush(dc, GetStockObject(NULL_BRUSH));
        const int oldRop = SetROP2(dc, R2_NOT);
        const int oldMode = SetBkMode(dc, TRANSPARENT);
        Rectangle(dc, r.left, r.top, r.right(), r.bottom());
        SetBkMode(dc, oldMode);
        SetROP2(dc, oldRop);
    }
    if (m_outline && !m_grabbing) {
        const win::UniqueGdiObject ring(CreateRectRgn(0, 0, 0, 0));
        AddOutline(static_cast<HRGN>(ring.get()), *m_outline);
        InvertRgn(dc, static_cast<HRGN>(ring.get()));
    }
    if (m_overlayShown) {
        DrawOverlay(dc, 0, 0);
    }
    if (m_snapshotDue) {
        // Handled before any input that came meanwhile: posted messages go first.
        PostMessageW(m_window, kTakeSnapshot, 0, 0);
    }
}

void CaptureView::PaintPicture1() {
    const win::PaintScope paint(Picture1);
    const RECT& area = paint.area();
    if (m_grabbing && m_frozen) {
        // What the frozen image shows at its place, which an older picture may not.
        BitBlt(paint.dc(), area.left, area.top, area.right - area.left, area.bottom - area.top,
               m_frozen->dc(), m_picturePlace.left + area.left, m_picturePlace.top + area.top,
               SRCCOPY);
        return;
    }
    m_selection.Paint(paint.dc(), area);
    POINT origin{0, 0};
    MapWindowPoints(Picture1, m_window, &origin, 1);
    if (m_outline) { // window mode outlines what lies under the picture as well
        const win::UniqueGdiObject ring(CreateRectRgn(0, 0, 0, 0));
        AddOutline(static_cast<HRGN>(ring.get()), *m_outline);
        OffsetRgn(static_cast<HRGN>(ring.get()), -origin.x, -origin.y);
        InvertRgn(paint.dc(), static_cast<HRGN>(ring.get()));
    }
    if (m_overlayShown) {
        DrawOverlay(paint.dc(), origin.x, origin.y);
    }
}

} // namespace snarvik
