#include <windows.h>
#include <windowsx.h>

#include "ui/selection_view.h"

#include <algorithm>

namespace snarvik {

namespace {

constexpr const wchar_t* kPictureClassName = L"SnarvikPicture";

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

bool IsMouse(UINT message) {
    return message >= WM_MOUSEFIRST && message <= WM_MBUTTONUP;
}

} // namespace

void SelectionView::Create(HWND window, HINSTANCE instance) {
    m_window = window;
    CreateBound({kPictureClassName}, instance, 0, WS_CHILD | WS_CLIPSIBLINGS, L"", {}, window);
}

void SelectionView::Shape1Changes(const std::function<void(SelectionFrame&)>& change) {
    const SelectionFrame before = m_frame;
    change(m_frame);
    if (before.visible() == m_frame.visible() && before.rect() == m_frame.rect() &&
        before.style() == m_frame.style()) {
        return;
    }
    // Only the outlines change; the frozen image underneath stays as it is. One region, so
    // the window is asked to repaint once.
    const win::UniqueGdiObject region(CreateRectRgn(0, 0, 0, 0));
    for (const SelectionFrame* frame : {&before, static_cast<const SelectionFrame*>(&m_frame)}) {
        if (frame->visible()) {
            AddFrame(static_cast<HRGN>(region.get()), frame->rect());
        }
    }
    InvalidateRgn(m_window, static_cast<HRGN>(region.get()), FALSE);
}

void SelectionView::InvalidateShape1() {
    if (m_frame.visible()) {
        const win::UniqueGdiObject region(CreateRectRgn(0, 0, 0, 0));
        AddFrame(static_cast<HRGN>(region.get()), m_frame.rect());
        InvalidateRgn(m_window, static_cast<HRGN>(region.get()), FALSE);
    }
}

void SelectionView::PaintShape1(HDC dc) const {
    if (!m_frame.visible() || m_grabbing) {
        return;
    }
    // Inverting keeps the outline visible on any colour.
    const Rect& r = m_frame.rect();
    const win::UniqueGdiObject pen(
        CreatePen(m_frame.style() == LineStyle::Dotted ? PS_DOT : PS_SOLID, 1, RGB(0, 0, 0)));
    const win::Selection usePen(dc, pen.get());
    const win::Selection useBrush(dc, GetStockObject(NULL_BRUSH));
    const int oldRop = SetROP2(dc, R2_NOT);
    const int oldMode = SetBkMode(dc, TRANSPARENT);
    Rectangle(dc, r.left, r.top, r.right(), r.bottom());
    SetBkMode(dc, oldMode);
    SetROP2(dc, oldRop);
}

void SelectionView::ShowPicture() {
    // Exactly as released, painted before anything else can run.
    m_place = m_frame.rect();
    m_selection.Take(m_frozen.surface(), m_place);
    SetWindowPos(hWnd(), nullptr, m_place.left, m_place.top, std::max(m_place.width, 0),
                 std::max(m_place.height, 0), SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    Shape1Changes([](SelectionFrame& shape) { shape.Grow(); });
    RedrawWindow(hWnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

void SelectionView::ShowSurface(std::shared_ptr<const Surface> view) {
    m_selection.Show(std::move(view));
    InvalidateRect(hWnd(), nullptr, FALSE);
}

void SelectionView::RepaintPart(const Rect& area) {
    const RECT part{area.left, area.top, area.right(), area.bottom()};
    RedrawWindow(hWnd(), &part, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

void SelectionView::ClearPicture() {
    ShowWindow(hWnd(), SW_HIDE);
    m_selection.Clear();
}

void SelectionView::InvalidateUnder(HRGN region) {
    if (!IsWindowVisible(hWnd())) {
        return;
    }
    const POINT origin = Origin();
    OffsetRgn(region, -origin.x, -origin.y);
    InvalidateRgn(hWnd(), region, FALSE);
    OffsetRgn(region, origin.x, origin.y);
}

POINT SelectionView::Origin() const {
    POINT origin{0, 0};
    MapWindowPoints(hWnd(), m_window, &origin, 1);
    return origin;
}

LRESULT SelectionView::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) {
        PaintPicture1();
        return 0;
    }
    if (message == WM_ERASEBKGND) {
        return 1;
    }
    if (IsMouse(message) && m_host.PicturePassesMouse()) {
        POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        MapWindowPoints(hWnd(), m_window, &at, 1);
        return SendMessageW(m_window, message, wParam, MAKELPARAM(at.x, at.y));
    }
    // Otherwise no mouse handling of its own: clicks on the picture do nothing.
    return DefWindowProcW(hWnd(), message, wParam, lParam);
}

void SelectionView::PaintPicture1() {
    const win::PaintScope paint(hWnd());
    const RECT& area = paint.area();
    if (m_grabbing) {
        // What the frozen image shows at its place, which an older picture may not.
        m_frozen.PaintPart(paint.dc(), area, {m_place.left + area.left, m_place.top + area.top});
        return;
    }
    m_selection.Paint(paint.dc(), area);
    m_host.PaintOverPicture(paint.dc(), Origin());
}

} // namespace snarvik
