// frmMain's two window states: hidden in the tray, or maximised over the whole screen during a
// cut.
#include <windows.h>

#include "ui/frmMain.h"

namespace snarvik {

void frmMain::SetWindowState(WindowState state) {
    m_state = state;
    if (IsWindowVisible(hWnd()) && state != WindowState::Minimized) {
        m_applyingState = true;
        ShowWindow(hWnd(), state == WindowState::Maximized ? SW_MAXIMIZE : SW_RESTORE);
        m_applyingState = false;
    }
    Form_Resize();
}

void frmMain::TrayResize() {
    switch (TrayResizeAction(mTrayMade, m_state, mMaximized)) {
    case ResizeAction::None:
        break;
    case ResizeAction::Hide:
        ShowWindow(hWnd(), SW_HIDE);
        mMaximized = false;
        break;
    case ResizeAction::Maximize:
        // A hidden window only takes the state; showing it (a cut) makes it visible.
        m_state = WindowState::Maximized;
        if (m_showing || (IsWindowVisible(hWnd()) && !IsZoomed(hWnd()))) {
            m_applyingState = true;
            ShowWindow(hWnd(), SW_MAXIMIZE);
            m_applyingState = false;
        }
        mMaximized = true;
        break;
    }
}

void frmMain::ShowCaptureWindow() {
    if (!IsWindowVisible(hWnd())) {
        // Shown in its current state, which raises the resize handling: it maximises.
        m_showing = true;
        Form_Resize();
        m_showing = false;
    }
    // Over the whole desktop as it is now: monitors may have come, gone or changed since the
    // window was last maximised.
    const Rect& screen = m_view.Screen();
    RECT placed{};
    GetWindowRect(hWnd(), &placed);
    if (placed.left != screen.left || placed.top != screen.top ||
        placed.right - placed.left != screen.width || placed.bottom - placed.top != screen.height) {
        m_applyingState = true;
        SetWindowPos(hWnd(), HWND_TOPMOST, screen.left, screen.top, screen.width, screen.height,
                     SWP_NOACTIVATE);
        m_applyingState = false;
    }
    SetForegroundWindow(hWnd());
    m_view.ShowOverlayAtPointer();
}

void frmMain::EndCut() {
    SetWindowState(WindowState::Minimized);
}

} // namespace snarvik
