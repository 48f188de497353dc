// frmMain's capture view: the cut on screen. The grab freezes the screen into the window, the
// mouse drives Shape1 over it, a release shows the selection in Picture1 and pops up the
// selection menu.
#include <windows.h>

#include "ui/frmMain.h"

#include "capture/screen_grab.h"

#include <algorithm>

namespace snarvik {

void frmMain::StartCut(std::int32_t limit) {
    mCutState = limit;
    ShowWindow(Picture1, SW_HIDE);
    m_selection.Clear();
    Shape1Changes([&](SelectionFrame& shape) { shape.Hide(); });
    GrabScreen();
    ShowCaptureWindow();
    Shape1Changes([&](SelectionFrame& shape) { shape.SetSize(limit); });
}

void frmMain::GrabScreen() {
    m_selection.Detach(); // Picture1 keeps showing what was selected
    if (GrabScreenInto(m_frozen)) {
        InvalidateRect(m_hwnd, nullptr, FALSE);
    }
}

void frmMain::Form_MouseDown(int, int, int x, int y) {
    if (m_state == WindowState::Maximized) {
        Shape1Changes([&](SelectionFrame& shape) { shape.Press(x, y, mCutState); });
    }
}

void frmMain::Form_MouseMove(int, int, int x, int y) {
    if (m_state == WindowState::Maximized) {
        Shape1Changes([&](SelectionFrame& shape) { shape.Move(x, y, mCutState); });
    }
}

void frmMain::Form_MouseUp(int, int, int x, int y) {
    if (m_state != WindowState::Maximized) {
        return;
    }
    // Picture1 shows the selection exactly as released, painted before anything else can run.
    const Rect placed = Shape1.rect();
    m_selection.Take(m_frozen, placed);
    SetWindowPos(Picture1, nullptr, placed.left, placed.top, std::max(placed.width, 0),
                 std::max(placed.height, 0), SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    Shape1Changes([&](SelectionFrame& shape) { shape.Grow(); });
    RedrawWindow(Picture1, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);

    POINT at{x, y};
    ClientToScreen(m_hwnd, &at);
    UINT chosen = 0;
    {
        const ModalStep step(*this);
        m_menuOpen = true;
        chosen = static_cast<UINT>(TrackPopupMenu(
            mnuPopup.get(), TPM_LEFTALIGN | TPM_LEFTBUTTON | TPM_RETURNCMD | TPM_NONOTIFY, at.x,
            at.y, 0, m_hwnd, nullptr));
        m_menuOpen = false;
    }
    RunSelectionMenuItem(chosen);
}

void frmMain::RunSelectionMenuItem(UINT id) {
    if (m_unloaded) {
        return;
    }
    switch (id) {
    case kMenuReselect:
        mnuPopupReselect_Click();
        return;
    case kMenuAbort:
        mnuPopupAbort_Click();
        return;
    case 0:
        return; // dismissed: the selection stays shown
    default:
        break;
    }
    // The output's own copy, before anything can pump messages and start another cut.
    const Image selection = m_selection.Pixels();
    switch (id) {
    case kMenuCopyToClipboard:
        m_commands.mnuPopupCopyToClipboard_Click(selection);
        break;
    case kMenuSaveBitmap:
        m_commands.mnuPopupSaveBitmap_Click(selection);
        break;
    case kMenuSaveIcon:
        m_commands.mnuPopupSaveIcon_Click(selection);
        break;
    case kMenuSaveCursor:
        m_commands.mnuPopupSaveCursor_Click(selection);
        break;
    case kMenuWallpaperMode + 1:
    case kMenuWallpaperMode + 2:
    case kMenuWallpaperMode + 3:
        m_commands.mnuPopupSetAsWallpaperMode_Click(
            static_cast<std::int16_t>(id - kMenuWallpaperMode), selection);
        break;
    default:
        break;
    }
}

void frmMain::mnuPopupReselect_Click() {
    ShowWindow(Picture1, SW_HIDE);
    m_selection.Clear();
    Shape1Changes([&](SelectionFrame& shape) { shape.Hide(); });
}

void frmMain::mnuPopupAbort_Click() {
    EndCut();
}

// ---------------------------------------------------------------------------------------------
// Painting: the frozen image, Shape1 over it, Picture1

namespace {

// Adds the outline of r, one pixel either side of its edges, to region.
void AddFrame(HRGN region, const Rect& r) {
    const RECT edges[] = {
        {r.left - 1, r.top - 1, r.left + r.width + 1, r.top + 1},
        {r.left - 1, r.top + r.height - 1, r.left + r.width + 1, r.top + r.height + 1},
        {r.left - 1, r.top - 1, r.left + 1, r.top + r.height + 1},
        {r.left + r.width - 1, r.top - 1, r.left + r.width + 1, r.top + r.height + 1},
    };
    for (const RECT& edge : edges) {
        const win::UniqueGdiObject piece(CreateRectRgnIndirect(&edge));
        CombineRgn(region, region, static_cast<HRGN>(piece.get()), RGN_OR);
    }
}

} // namespace

void frmMain::Shape1Changes(const std::function<void(SelectionFrame&)>& change) {
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
    InvalidateRgn(m_hwnd, static_cast<HRGN>(region.get()), FALSE);
}

void frmMain::Paint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(m_hwnd, &ps);
    const RECT& area = ps.rcPaint;
    if (m_frozen) {
        BitBlt(dc, area.left, area.top, area.right - area.left, area.bottom - area.top,
               m_frozen->dc(), area.left, area.top, SRCCOPY);
    } else {
        FillRect(dc, &area, GetSysColorBrush(COLOR_WINDOW));
    }
    if (Shape1.visible()) {
        // Drawn over the frozen image, never into it; inverting keeps it visible anywhere.
        const Rect& r = Shape1.rect();
        const win::UniqueGdiObject pen(
            CreatePen(Shape1.style() == LineStyle::Dotted ? PS_DOT : PS_SOLID, 1, RGB(0, 0, 0)));
        const win::Selection usePen(dc, pen.get());
        const win::Selection useBrush(dc, GetStockObject(NULL_BRUSH));
        const int oldRop = SetROP2(dc, R2_NOT);
        const int oldMode = SetBkMode(dc, TRANSPARENT);
        Rectangle(dc, r.left, r.top, r.left + r.width, r.top + r.height);
        SetBkMode(dc, oldMode);
        SetROP2(dc, oldRop);
    }
    EndPaint(m_hwnd, &ps);
}

void frmMain::PaintPicture1() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(Picture1, &ps);
    m_selection.Paint(dc, ps.rcPaint);
    EndPaint(Picture1, &ps);
}

} // namespace snarvik
