// frmMain's capture view: the cut on screen. The grab freezes the screen into the window, the
// mouse drives Shape1 over it, a release shows the selection in Picture1 and pops up the
// selection menu.
#include <windows.h>

#include "ui/frmMain.h"

#include "capture/overlay.h"
#include "capture/screen_grab.h"

#include <algorithm>

namespace snarvik {

namespace {
constexpr std::size_t kKeptKeyMoves = 64;
} // namespace

void frmMain::StartCut(std::int32_t limit) {
    mCutState = limit;
    m_pressed = false;
    m_keyMoves.clear();
    ShowWindow(Picture1, SW_HIDE);
    m_selection.Clear();
    Shape1Changes([&](SelectionFrame& shape) { shape.Hide(); });
    GrabScreen();
    ShowCaptureWindow();
    Shape1Changes([&](SelectionFrame& shape) { shape.SetSize(limit); });
}

void frmMain::GrabScreen() {
    if (m_overlayShown && IsWindowVisible(m_hwnd)) {
        HideOverlay(); // off the screen before it is grabbed again
        UpdateWindow(m_hwnd);
        UpdateWindow(Picture1);
    }
    m_selection.Detach(); // Picture1 keeps showing what was selected
    m_desktop = CurrentDesktop();
    m_screen = VirtualScreen(m_desktop);
    if (GrabScreenInto(m_frozen, m_desktop)) {
        InvalidateRect(m_hwnd, nullptr, FALSE);
    }
}

void frmMain::Form_MouseDown(int, int, int x, int y) {
    if (m_state == WindowState::Maximized) {
        m_pressed = true;
        Shape1Changes([&](SelectionFrame& shape) { shape.Press(x, y, mCutState); });
        ShowOverlay(x, y);
    }
}

void frmMain::Form_MouseMove(int, int, int x, int y) {
    if (m_state == WindowState::Maximized) {
        Shape1Changes([&](SelectionFrame& shape) { shape.Move(x, y, mCutState); });
        ShowOverlay(x, y);
    }
}

// Escape ends the cut as Abort does; the arrows move the pointer one pixel (ten with Shift) as
// the mouse would; Enter is the left button at the pointer: a press, then a release, or both
// at once over a limited square. Keys reach here only while no menu or dialog is open.
void frmMain::Form_KeyDown(WPARAM key) {
    if (m_state != WindowState::Maximized || !IsWindowVisible(m_hwnd)) {
        return;
    }
    // Where the last mouse message or key left the pointer: the system's position may still be
    // catching up with the moves before.
    const POINT at = m_pointer;
    const int step = GetKeyState(VK_SHIFT) < 0 ? 10 : 1;
    switch (key) {
    case VK_ESCAPE:
        m_pressed = false;
        mnuPopupAbort_Click();
        return;
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN: {
        // Only onto a monitor, where the system's pointer can go too.
        const int dx = key == VK_LEFT ? -step : key == VK_RIGHT ? step : 0;
        const int dy = key == VK_UP ? -step : key == VK_DOWN ? step : 0;
        const Point to =
            OnDesktop(m_desktop, {at.x + m_screen.left + dx, at.y + m_screen.top + dy});
        const POINT moved{to.x - m_screen.left, to.y - m_screen.top};
        Form_MouseMove(0, 0, moved.x, moved.y);
        if (m_keyMoves.size() >= kKeptKeyMoves) {
            m_keyMoves.erase(m_keyMoves.begin(), m_keyMoves.begin() + 2);
        }
        m_keyMoves.push_back(at);
        m_keyMoves.push_back(moved);
        SetCursorPos(to.x, to.y);
        return;
    }
    case VK_RETURN: {
        // Its character would reach the selection menu and close it at once.
        MSG character;
        PeekMessageW(&character, m_hwnd, WM_CHAR, WM_CHAR, PM_REMOVE);
        if (!m_pressed) {
            Form_MouseDown(1, 0, at.x, at.y);
            if (mCutState == 0) {
                return; // the next Enter releases
            }
        }
        Form_MouseUp(1, 0, at.x, at.y);
        return;
    }
    default:
        return;
    }
}

// A key moves our pointer at once and the system's after it; the mouse moves that this makes
// may arrive after later keys have moved on, at the new place or (Wine) at the old one, and
// must not take the pointer back. Any other move is the user's.
bool frmMain::IsKeyMoveEcho(int x, int y) {
    const bool echo = std::any_of(m_keyMoves.begin(), m_keyMoves.end(),
                                  [&](const POINT& at) { return at.x == x && at.y == y; });
    if (!echo) {
        m_keyMoves.clear();
    }
    return echo;
}

void frmMain::Form_MouseUp(int, int, int x, int y) {
    if (m_state != WindowState::Maximized) {
        return;
    }
    m_pressed = false;
    m_pointer = {x, y};
    HideOverlay();
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
    case kMenuSavePng:
        m_commands.mnuPopupSavePng_Click(selection);
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

void frmMain::ShowOverlay(int x, int y) {
    InvalidateOverlay();
    // Beside the pointer on its own monitor, flipped at that monitor's edges.
    const Monitor* monitor = MonitorAt(m_desktop, {x + m_screen.left, y + m_screen.top});
    Rect bounds = monitor != nullptr ? monitor->bounds : m_screen;
    bounds.left -= m_screen.left;
    bounds.top -= m_screen.top;
    m_overlay = PlaceOverlay(x, y, bounds);
    m_pointer = {x, y};
    m_overlayShown = true;
    InvalidateOverlay();
}

void frmMain::HideOverlay() {
    InvalidateOverlay();
    m_overlayShown = false;
}

void frmMain::InvalidateOverlay() {
    if (!m_overlayShown) {
        return;
    }
    RECT area{m_overlay.left, m_overlay.top, m_overlay.left + m_overlay.width,
              m_overlay.top + m_overlay.height};
    InvalidateRect(m_hwnd, &area, FALSE);
    if (IsWindowVisible(Picture1)) { // it may lie over the picture, which paints its own part
        MapWindowPoints(m_hwnd, Picture1, reinterpret_cast<POINT*>(&area), 2);
        InvalidateRect(Picture1, &area, FALSE);
    }
}

void frmMain::DrawOverlay(HDC dc, int originX, int originY) {
    const int left = m_overlay.left - originX;
    const int top = m_overlay.top - originY;
    const RECT panel{left, top, left + m_overlay.width, top + m_overlay.height};
    FillRect(dc, &panel, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    FrameRect(dc, &panel, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));

    // The loupe: the frozen pixels around the pointer; those off the screen stay black.
    const int half = kLoupeCells / 2;
    const int inner = kLoupeCells * kLoupeZoom;
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
            StretchBlt(dc, left + 1 + (x0 - px + half) * kLoupeZoom,
                       top + 1 + (y0 - py + half) * kLoupeZoom, (x1 - x0) * kLoupeZoom,
                       (y1 - y0) * kLoupeZoom, m_frozen->dc(), x0, y0, x1 - x0, y1 - y0, SRCCOPY);
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
            MoveToEx(dc, left + 1 + i * kLoupeZoom, top + 1, nullptr);
            LineTo(dc, left + 1 + i * kLoupeZoom, top + 1 + inner);
            MoveToEx(dc, left + 1, top + 1 + i * kLoupeZoom, nullptr);
            LineTo(dc, left + 1 + inner, top + 1 + i * kLoupeZoom);
        }
    }
    const int cell = half * kLoupeZoom;
    RECT outline{left + cell - 1, top + cell - 1, left + cell + kLoupeZoom + 3,
                 top + cell + kLoupeZoom + 3};
    FrameRect(dc, &outline, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    InflateRect(&outline, -1, -1);
    FrameRect(dc, &outline, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));

    // The pixel's colour, and the pointer's place or the selection's size.
    const Rect& frame = Shape1.rect();
    const std::string readout =
        m_pressed || mCutState != 0
            ? SizeText(std::max(frame.width, 0), std::max(frame.height, 0))
            : PointerText(m_pointer.x + m_screen.left, m_pointer.y + m_screen.top);
    const win::Selection useFont(dc, GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(255, 255, 255));
    RECT line{left + 1, top + 1 + inner, panel.right - 1, top + 1 + inner + kOverlayLine};
    for (const std::string& text : {ColourText(under), readout}) {
        DrawTextW(dc, win::Wide(text).c_str(), -1, &line, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        OffsetRect(&line, 0, kOverlayLine);
    }
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
    if (m_overlayShown) {
        DrawOverlay(dc, 0, 0);
    }
    EndPaint(m_hwnd, &ps);
}

void frmMain::PaintPicture1() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(Picture1, &ps);
    m_selection.Paint(dc, ps.rcPaint);
    if (m_overlayShown) {
        POINT origin{0, 0};
        MapWindowPoints(Picture1, m_hwnd, &origin, 1);
        DrawOverlay(dc, origin.x, origin.y);
    }
    EndPaint(Picture1, &ps);
}

} // namespace snarvik
