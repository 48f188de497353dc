#include <windows.h>

#include "ui/window_outline.h"

#include "base/win32.h"
#include "capture/window_facts.h"

namespace snarvik {

namespace {

// Two pixels inside the rectangle's edges, so that it shows on a rectangle the size of a
// monitor too.
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

} // namespace

void WindowOutline::Reset(HWND window) {
    // Every new cut starts without window mode. What is on the screen is taken once the frozen
    // screen is painted, so that it shows no later for it.
    Changes(
        window, [](WindowMode& mode) { mode.Reset({}); }, nullptr);
    m_snapshotDue = true;
}

void WindowOutline::TakeSnapshot() {
    if (m_snapshotDue) {
        m_snapshotDue = false;
        m_mode.Reset(MakeSnapshot(m_frozen.desktop(), CurrentWindows()));
    }
}

void WindowOutline::Changes(HWND window, const std::function<void(WindowMode&)>& change,
                            const std::function<void(HRGN)>& under) {
    change(m_mode);
    const std::optional<Rect> outlined = m_mode.Outlined();
    const std::optional<Rect> now =
        outlined ? std::optional<Rect>(m_frozen.InWindow(*outlined)) : std::nullopt;
    if (now == m_outline) {
        return;
    }
    const win::UniqueGdiObject region(CreateRectRgn(0, 0, 0, 0));
    AddTo(static_cast<HRGN>(region.get()));
    m_outline = now;
    AddTo(static_cast<HRGN>(region.get()));
    InvalidateRgn(window, static_cast<HRGN>(region.get()), FALSE);
    if (under) {
        under(static_cast<HRGN>(region.get()));
    }
}

void WindowOutline::AddTo(HRGN region) const {
    if (m_outline) {
        AddOutline(region, *m_outline);
    }
}

void WindowOutline::Paint(HDC dc, POINT origin) const {
    if (m_outline) {
        const win::UniqueGdiObject ring(CreateRectRgn(0, 0, 0, 0));
        AddOutline(static_cast<HRGN>(ring.get()), *m_outline);
        OffsetRgn(static_cast<HRGN>(ring.get()), -origin.x, -origin.y);
        InvertRgn(dc, static_cast<HRGN>(ring.get()));
    }
}

} // namespace snarvik
