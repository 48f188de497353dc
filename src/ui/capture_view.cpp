// The cut on screen: the grab freezes the screen into the window, the mouse and keys drive
// Shape1 over it, a release shows the selection in Picture1 and pops up the selection menu.
#include <windows.h>
#include <windowsx.h>

#include "ui/capture_view.h"

#include "capture/monitors.h"
#include "capture/screen_grab.h"
#include "capture/window_facts.h"

#include <algorithm>
#include <iterator>

namespace snarvik {

namespace {

constexpr const wchar_t* kPictureClassName = L"SnarvikPicture";

// The mouse messages a cut acts on.
bool IsCutMouse(UINT message) {
    switch (message) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
        return true;
    default:
        return false;
    }
}

} // namespace

void CaptureView::ReadDesktop() {
    m_desktop = CurrentDesktop();
    m_screen = VirtualScreen(m_desktop);
}

void CaptureView::Create(HWND window, HINSTANCE instance) {
    m_window = window;
    WNDCLASSEXW picture{};
    picture.cbSize = sizeof(picture);
    picture.lpfnWndProc = &CaptureView::PictureProc;
    picture.hInstance = instance;
    picture.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    picture.lpszClassName = kPictureClassName;
    RegisterClassExW(&picture); // a second window in the process finds it registered
    Picture1 = CreateWindowExW(0, kPictureClassName, L"", WS_CHILD, 0, 0, 0, 0, window, nullptr,
                               instance, this);

    BuildSelectionMenu();
}

void CaptureView::StartCut(std::int32_t limit) {
    mCutState = limit;
    m_pressed = false;
    m_keyMoves.Clear();
    ShowWindow(Picture1, SW_HIDE);
    m_selection.Clear();
    Shape1Changes([&](SelectionFrame& shape) { shape.Hide(); });
    if (!GrabScreen()) {
        return;
    }
    m_host.ShowCaptureWindow();
    Shape1Changes([&](SelectionFrame& shape) { shape.SetSize(limit); });
}

bool CaptureView::GrabScreen() {
    if (IsWindowVisible(m_window)) {
        PaintFrozenOnly(); // a cut over a cut freezes nothing of ours
    }
    m_selection.Detach(); // Picture1 keeps showing what was selected
    ReadDesktop();
    Failed failed;
    try {
        failed = m_grab(m_frozen, m_desktop);
    } catch (...) {
        m_frozen.reset();
        failed = FailureOf("The screen could not be copied", std::current_exception());
    }
    // Every new cut starts without window mode. What is on the screen is taken once the frozen
    // screen is painted, so that it shows no later for it.
    OutlineChanges([&](WindowMode& mode) { mode.Reset({}); });
    m_snapshotDue = true;
    m_grabbing = false;
    if (failed) {
        // Never an older screen shown as if it were this one: a cut over a cut ends too.
        m_host.EndCut();
        m_host.ShowError(*failed);
        return false;
    }
    InvalidateRect(m_window, nullptr, FALSE);
    InvalidateShape1();
    InvalidateRect(Picture1, nullptr, FALSE);
    return true;
}

void CaptureView::TakeSnapshot() {
    if (m_snapshotDue) {
        m_snapshotDue = false;
        m_windowMode.Reset(MakeSnapshot(m_desktop, CurrentWindows()));
    }
}

void CaptureView::SizeShape1() {
    Shape1Changes([&](SelectionFrame& shape) { shape.SetSize(mCutState); });
}

void CaptureView::ShowOverlayAtPointer() {
    POINT pointer{};
    GetCursorPos(&pointer);
    ShowOverlay(pointer.x - m_screen.left, pointer.y - m_screen.top);
}

void CaptureView::Mouse(UINT message, WPARAM wParam, LPARAM lParam) {
    const int x = GET_X_LPARAM(lParam);
    const int y = GET_Y_LPARAM(lParam);
    const int shift = static_cast<int>(wParam & (MK_SHIFT | MK_CONTROL));
    switch (message) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        Form_MouseDown(message == WM_LBUTTONDOWN   ? 1
                       : message == WM_RBUTTONDOWN ? 2
                                                   : 4,
                       shift, x, y);
        break;
    case WM_MOUSEMOVE:
        if (!m_keyMoves.IsEcho({x, y})) {
            Form_MouseMove(0, shift, x, y);
        }
        break;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
        Form_MouseUp(message == WM_LBUTTONUP ? 1 : message == WM_RBUTTONUP ? 2 : 4, shift, x, y);
        break;
    default:
        break;
    }
}

// The wheel walks window mode's outline out and in, or steps a limited square's size.
void CaptureView::Wheel(int delta) {
    if (!m_host.CaptureUp() || (mCutState == 0 && (!m_windowMode.on() || m_pressed))) {
        return;
    }
    m_wheel += delta;
    const int notches = m_wheel / WHEEL_DELTA;
    m_wheel -= notches * WHEEL_DELTA;
    if (mCutState != 0) {
        StepSquare(notches);
        return;
    }
    OutlineChanges([&](WindowMode& mode) { mode.Walk(notches); });
    ShowOverlay(m_pointer.x, m_pointer.y);
}

// A limited square takes the next icon size for this cut, its bottom right staying at the
// pointer.
void CaptureView::StepSquare(int steps) {
    mCutState = snarvik::StepSquare(mCutState, steps);
    Shape1Changes([&](SelectionFrame& shape) {
        shape.SetSize(mCutState);
        shape.Move(m_pointer.x, m_pointer.y, mCutState);
    });
    ShowOverlay(m_pointer.x, m_pointer.y);
}

// In window mode a press decides nothing yet: a release close by takes the outlined rectangle,
// a move past the system's drag threshold starts a free rectangle from the press point.
void CaptureView::Form_MouseDown(int, int, int x, int y) {
    if (!m_host.CaptureUp()) {
        return;
    }
    m_pressed = true;
    if (m_windowMode.on()) {
        m_windowMode.Press(OnScreen(x, y));
    } else {
        Shape1Changes([&](SelectionFrame& shape) { shape.Press(x, y, mCutState); });
    }
    ShowOverlay(x, y);
}

void CaptureView::Form_MouseMove(int, int, int x, int y) {
    if (!m_host.CaptureUp()) {
        return;
    }
    if (!m_windowMode.on()) {
        Shape1Changes([&](SelectionFrame& shape) { shape.Move(x, y, mCutState); });
    } else if (!m_pressed) {
        OutlineChanges([&](WindowMode& mode) { mode.PointAt(OnScreen(x, y)); });
    } else if (m_windowMode.dragging()) {
        Shape1Changes([&](SelectionFrame& shape) { shape.Move(x, y, 0); });
    } else {
        bool drags = false;
        OutlineChanges([&](WindowMode& mode) {
            drags = mode.DragsAt(OnScreen(x, y), GetSystemMetrics(SM_CXDRAG),
                                 GetSystemMetrics(SM_CYDRAG));
        });
        if (drags) {
            const Point from = m_windowMode.pressedAt();
            Shape1Changes([&](SelectionFrame& shape) {
                shape.Press(from.x - m_screen.left, from.y - m_screen.top, 0);
                shape.Move(x, y, 0);
            });
        }
    }
    ShowOverlay(x, y);
}

// Escape ends the cut as Abort does; the arrows move the pointer one pixel (ten with Shift) as
// the mouse would; Enter is the left button at the pointer: a press, then a release, or both
// at once over a limited square. Keys reach here only while no menu or dialog is open.
void CaptureView::Form_KeyDown(WPARAM key) {
    if (!m_host.CaptureUp() || !IsWindowVisible(m_window)) {
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
    case VK_SPACE:
        if (mCutState == 0 && !m_pressed) {
            TakeSnapshot();
            OutlineChanges([&](WindowMode& mode) { mode.Toggle(OnScreen(at.x, at.y)); });
            ShowOverlay(at.x, at.y);
        }
        return;
    case VK_PRIOR:
    case VK_NEXT:
        if (mCutState == 0) {
            Wheel(key == VK_PRIOR ? WHEEL_DELTA : -WHEEL_DELTA);
        }
        return;
    case VK_ADD:
    case VK_OEM_PLUS:
    case VK_SUBTRACT:
    case VK_OEM_MINUS:
        if (mCutState != 0) {
            StepSquare(key == VK_ADD || key == VK_OEM_PLUS ? 1 : -1);
        }
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
        const Point moved{to.x - m_screen.left, to.y - m_screen.top};
        Form_MouseMove(0, 0, moved.x, moved.y);
        m_keyMoves.Moved({at.x, at.y}, moved);
        SetCursorPos(to.x, to.y);
        return;
    }
    case VK_RETURN: {
        // Its character would reach the selection menu and close it at once.
        MSG character;
        PeekMessageW(&character, m_window, WM_CHAR, WM_CHAR, PM_REMOVE);
        if (!m_pressed) {
            Form_MouseDown(1, 0, at.x, at.y);
            if (mCutState == 0 && !m_windowMode.on()) {
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

void CaptureView::Form_MouseUp(int, int, int x, int y) {
    if (!m_host.CaptureUp()) {
        return;
    }
    m_pressed = false;
    m_pointer = {x, y};
    HideOverlay();
    if (m_windowMode.on()) {
        // A click takes exactly the outlined rectangle: from here on as a drag over it.
        const std::optional<Rect> outlined = m_windowMode.Outlined();
        if (!m_windowMode.dragging()) {
            Shape1Changes([&](SelectionFrame& shape) {
                outlined ? shape.Take(InWindow(*outlined)) : shape.Press(x, y, 0);
            });
        }
        OutlineChanges([](WindowMode& mode) {
            mode.Release();
            mode.Hide();
        });
    }
    // Picture1 shows the selection exactly as released, painted before anything else can run.
    m_picturePlace = Shape1.rect();
    m_selection.Take(m_frozen, m_picturePlace);
    SetWindowPos(Picture1, nullptr, m_picturePlace.left, m_picturePlace.top,
                 std::max(m_picturePlace.width, 0), std::max(m_picturePlace.height, 0),
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    Shape1Changes([&](SelectionFrame& shape) { shape.Grow(); });
    RedrawWindow(Picture1, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    RunSelectionMenu(x, y);
}

LRESULT CALLBACK CaptureView::PictureProc(HWND window, UINT message, WPARAM wParam,
                                          LPARAM lParam) noexcept {
    if (message == WM_NCCREATE) {
        auto* view =
            static_cast<CaptureView*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(view));
    }
    auto* view = reinterpret_cast<CaptureView*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    try {
        if (view != nullptr && message == WM_PAINT) {
            view->PaintPicture1();
            return 0;
        }
        if (message == WM_ERASEBKGND) {
            return 1;
        }
        if (view != nullptr && view->m_windowMode.on() && IsCutMouse(message)) {
            // In window mode the picture is part of the screen walked over: the window gets its
            // mouse, so that a click there takes the outlined rectangle.
            POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
            MapWindowPoints(window, view->m_window, &at, 1);
            return SendMessageW(view->m_window, message, wParam, MAKELPARAM(at.x, at.y));
        }
    } catch (...) {
        if (view != nullptr) {
            view->m_host.ReportFailure(std::current_exception());
        }
        return 0; // nothing crosses into the system
    }
    // Otherwise no mouse handling of its own: clicks on the picture do nothing.
    return DefWindowProcW(window, message, wParam, lParam);
}

} // namespace snarvik
