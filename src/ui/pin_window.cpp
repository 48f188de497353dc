#include <windows.h>
#include <windowsx.h>

#include "ui/pin_window.h"

#include "base/win32.h"
#include "capture/window_facts.h"

#include <algorithm>
#include <cstring>

namespace snarvik {

namespace {

// The frame: a blue that few screens have all around a picture.
constexpr COLORREF kFrameColour = RGB(0, 120, 215);

constexpr UINT Id(PinWindow::Command command) {
    return static_cast<UINT>(command);
}

POINT PointerOf(LPARAM lParam) {
    return {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
}

// Where the pointer was for the message being handled, on the screen: a drag moves the window
// under it, so its own coordinates are not what to go by.
POINT MessagePointer() {
    const DWORD at = GetMessagePos();
    return {GET_X_LPARAM(at), GET_Y_LPARAM(at)};
}

} // namespace

PinWindow::PinWindow(PinHost& host, Image picture)
    : m_host(host), m_picture(std::move(picture)), m_pixels(m_picture.width(), m_picture.height()) {
    if (m_pixels.valid()) {
        std::memcpy(m_pixels.bits(), m_picture.pixels().data(),
                    m_picture.pixels().size() * sizeof(std::uint32_t));
    }
}

PinWindow::~PinWindow() {
    if (HWND window = hWnd()) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0); // nothing more reaches a pin going away
        DestroyWindow(window);
    }
}

bool PinWindow::Create(HINSTANCE instance, const Rect& at) {
    if (!m_pixels.valid()) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return false;
    }
    // The window is physical pixels: the process is per-monitor aware, so nothing scales it.
    const Rect window = PinWindowRect({at.left, at.top, m_picture.width(), m_picture.height()});
    if (CreateBound(
            {kPinClassName, IDC_SIZEALL, CS_DBLCLKS}, instance,
            WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_LAYERED, WS_POPUP, L"Snarvik pinned picture",
            {window.left, window.top, window.right(), window.bottom()}, nullptr) == nullptr) {
        return false;
    }
    // A layered window shows nothing until its attributes are set.
    SetOpacity(m_opacity);
    ShowWindow(hWnd(), SW_SHOW);
    SetForegroundWindow(hWnd());
    UpdateWindow(hWnd());
    return true;
}

void PinWindow::Close() {
    if (HWND window = hWnd()) {
        DestroyWindow(window);
    }
}

// Every message counts as a running handler, so that a pin closed from inside one of its own
// (its menu, a dialog of its command) is destroyed only once they have all returned.
LRESULT PinWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    ++m_depth;
    LRESULT result = 0;
    try {
        result = Handle(message, wParam, lParam);
    } catch (...) {
        m_host.ReportFailure(std::current_exception());
    }
    --m_depth;
    if (m_depth == 0 && closed()) {
        m_host.PinClosed(*this); // may destroy the pin: nothing of it is touched after this
    }
    return result;
}

LRESULT PinWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT:
        Paint();
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_LBUTTONDOWN:
        SetCapture(hWnd());
        m_dragging = true;
        m_dragFrom = MessagePointer();
        m_windowFrom = {Shown().left - kPinFrame, Shown().top - kPinFrame};
        return 0;
    case WM_MOUSEMOVE:
        if (m_dragging) {
            const POINT pointer = MessagePointer();
            SetWindowPos(hWnd(), nullptr, m_windowFrom.x + pointer.x - m_dragFrom.x,
                         m_windowFrom.y + pointer.y - m_dragFrom.y, 0, 0,
                         SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        }
        return 0;
    case WM_LBUTTONUP:
        if (m_dragging) {
            ReleaseCapture();
        }
        return 0;
    case WM_CAPTURECHANGED:
        m_dragging = false;
        return 0;
    case WM_LBUTTONDBLCLK:
        Close();
        return 0;
    case WM_KEYDOWN:
        if (wParam == VK_ESCAPE) {
            Close();
        }
        return 0;
    case WM_MOUSEWHEEL:
        Wheel(wParam, lParam);
        return 0;
    case WM_CONTEXTMENU: {
        POINT at = PointerOf(lParam);
        if (at.x == -1 && at.y == -1) { // from the keyboard: the picture's middle
            const Rect shown = Shown();
            at = {shown.left + shown.width / 2, shown.top + shown.height / 2};
        }
        ShowMenu(at);
        return 0;
    }
    case WM_GETMINMAXINFO:
        // A zoomed picture may be larger than the screen.
        reinterpret_cast<MINMAXINFO*>(lParam)->ptMaxTrackSize = {0x7FFF, 0x7FFF};
        return 0;
    case WM_DPICHANGED: {
        // One picture pixel per screen pixel on any monitor: the window stays where it was
        // put, at its size, whatever the system suggests for the new scaling.
        const Rect window = PinWindowRect(Shown());
        SetWindowPos(hWnd(), nullptr, window.left, window.top, window.width, window.height,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        return 0;
    }
    default:
        return DefWindowProcW(hWnd(), message, wParam, lParam);
    }
}

Rect PinWindow::Shown() const {
    RECT window{};
    GetWindowRect(hWnd(), &window);
    return {window.left + kPinFrame, window.top + kPinFrame,
            window.right - window.left - 2 * kPinFrame, window.bottom - window.top - 2 * kPinFrame};
}

void PinWindow::ZoomTo(int percent, Point around) {
    const Rect shown = ZoomAround(Shown(), m_picture.width(), m_picture.height(), percent, around);
    m_zoom = percent;
    const Rect window = PinWindowRect(shown);
    SetWindowPos(hWnd(), nullptr, window.left, window.top, window.width, window.height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(hWnd(), nullptr, FALSE);
}

void PinWindow::SetOpacity(int percent) {
    m_opacity = percent;
    SetLayeredWindowAttributes(hWnd(), 0, static_cast<BYTE>(AlphaOf(percent)), LWA_ALPHA);
}

void PinWindow::Wheel(WPARAM wParam, LPARAM lParam) {
    const int notches = m_wheel.Add(GET_WHEEL_DELTA_WPARAM(wParam));
    if (notches == 0) {
        return;
    }
    // A mask: other buttons' bits may come along with Ctrl's.
    if ((GET_KEYSTATE_WPARAM(wParam) & MK_CONTROL) != 0) {
        SetOpacity(OpacityStep(m_opacity, notches));
        return;
    }
    const int zoom = ZoomStep(m_zoom, notches);
    if (zoom != m_zoom) {
        const POINT pointer = PointerOf(lParam); // on the screen
        ZoomTo(zoom, {pointer.x, pointer.y});
    }
}

void PinWindow::ShowMenu(POINT at) {
    const win::UniqueMenu menu(CreatePopupMenu());
    if (!menu) {
        return;
    }
    AppendMenuW(menu.get(), MF_STRING, Id(Command::Copy), L"&Copy");
    AppendMenuW(menu.get(), MF_STRING, Id(Command::SavePng), L"Save as &PNG...");
    AppendMenuW(menu.get(), MF_STRING, Id(Command::ActualSize), L"&Actual Size");
    AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu.get(), MF_STRING, Id(Command::Close), L"C&lose");
    const UINT chosen = m_host.RunMenu(menu.get(), hWnd(), at);
    if (chosen >= Id(Command::Copy) && chosen <= Id(Command::Close) && !closed()) {
        Run(static_cast<Command>(chosen), at);
    }
}

void PinWindow::Run(Command command, POINT at) {
    switch (command) {
    case Command::Copy:
        return m_host.CopyPicture(m_picture);
    case Command::SavePng:
        return m_host.SavePicturePng(m_picture);
    case Command::ActualSize:
        return ZoomTo(kActualSize, {at.x, at.y});
    case Command::Close:
        return Close();
    }
}

// The frame, and the picture inside it: nearest pixels, so that a zoom keeps them crisp.
void PinWindow::Paint() {
    const win::PaintScope paint(hWnd());
    HDC dc = paint.dc();
    RECT client{};
    GetClientRect(hWnd(), &client);
    const win::UniqueGdiObject frame(CreateSolidBrush(kFrameColour));
    FrameRect(dc, &client, static_cast<HBRUSH>(frame.get()));
    const int oldMode = SetStretchBltMode(dc, COLORONCOLOR);
    StretchBlt(dc, kPinFrame, kPinFrame, client.right - 2 * kPinFrame,
               client.bottom - 2 * kPinFrame, m_pixels.dc(), 0, 0, m_picture.width(),
               m_picture.height(), SRCCOPY);
    SetStretchBltMode(dc, oldMode);
}

} // namespace snarvik
