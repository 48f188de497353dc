// frmMain's tray side: the tray made at load, the icon's events, the tray commands and the
// Exit that waits for the outermost dispatch.
#include <windows.h>

#include "ui/frmMain.h"

#include "app/mMain.h"
#include "shell/mWebLink.h"
#include "tray/tray_logic.h"

namespace snarvik {

namespace {
constexpr DWORD kMenuSettleMs = 150;
} // namespace

void frmMain::MakeTray() {
    mTrayMenu.reset(CreatePopupMenu());
    for (const auto& entry : kTrayMenu) {
        AppendMenuW(mTrayMenu.get(), entry.flags, entry.id, win::Wide(entry.text).c_str());
    }
    SetMenuDefaultItem(mTrayMenu.get(), kTrayMenuDefaultPosition, TRUE);
    mTrayMade = true;
    mMaximized = false;
    mSysTray::SetMainWindow(this);
    IconEvent = std::make_unique<cSysTray>(m_hwnd, m_iconListener);
    IconEvent->TrayIcon(m_trayIconPicture);
    IconEvent->FormhWnd(m_hwnd);
    IconEvent->InTray(true);
}

void frmMain::IconEvent_MouseDown(std::int16_t Button, std::uint32_t) {
    if (!mMain::TrayMode) {
        return;
    }
    if (Button == 1) {
        // A left press may be the first half of a double click, whose cut the menu's modal
        // loop would swallow: open the menu only once the double-click time has passed.
        SetTimer(m_hwnd, kTrayClickTimer, GetDoubleClickTime(), nullptr);
        return;
    }
    ShowTrayMenu();
}

void frmMain::TrayClickTimer() {
    KillTimer(m_hwnd, kTrayClickTimer);
    if (!m_unloaded && !IsWindowVisible(m_hwnd)) { // a cut that came up meanwhile keeps it
        ShowTrayMenu();
    }
}

void frmMain::ShowTrayMenu() {
    if (m_menuOpen) {
        return; // one menu at a time
    }
    POINT cursor{};
    GetCursorPos(&cursor);
    SetForegroundWindow(m_hwnd);
    const ModalStep step(*this);
    m_menuOpen = true;
    TrackPopupMenu(mTrayMenu.get(), TPM_CENTERALIGN | TPM_RIGHTBUTTON, cursor.x, cursor.y, 0,
                   m_hwnd, nullptr);
    m_menuOpen = false;
    PostMessageW(m_hwnd, WM_NULL, 0, 0);
}

void frmMain::IconEvent_MenuClick(std::int16_t Index) {
    if (!mMain::TrayMode) {
        return;
    }
    if (TrayCommandFor(Index).kind == TrayCommandKind::StartCut) {
        // The tray menu has only just closed: let the windows under it repaint, or the grab
        // freezes a ghost of the menu into the picture.
        Sleep(kMenuSettleMs);
    }
    MenuClick(Index);
}

void frmMain::IconEvent_MouseDblClick(std::int16_t, std::uint32_t) {
    if (!mMain::TrayMode || m_exitPending || m_unloaded || m_modalSteps > 0) {
        return; // a cut's menu, dialog or message is open: it finishes undisturbed
    }
    KillTimer(m_hwnd, kTrayClickTimer);
    try {
        std::int16_t closingOnly = 99;
        MenuClick(closingOnly);
    } catch (...) {
    }
    GrabScreen();
    ShowCaptureWindow();
}

void frmMain::MenuClick(std::int16_t& Index) {
    if (m_exitPending || m_unloaded) {
        return;
    }
    const TrayCommand command = TrayCommandFor(Index);
    switch (command.kind) {
    case TrayCommandKind::OpenHomePage:
        mWebLink::OpenWebLink(m_hwnd, kHomePageAddress);
        break;
    case TrayCommandKind::OpenHelp:
        mWebLink::OpenHelpPage(m_hwnd);
        break;
    case TrayCommandKind::StartCut:
        if (m_modalSteps > 0) {
            return; // a cut's menu, dialog or message is open: it finishes undisturbed
        }
        StartCut(command.cutLimit);
        break;
    case TrayCommandKind::Exit:
        // Unloading inside a nested dispatch would pull the tray object and the window out
        // from under the handlers still running; it happens once the outermost one returns.
        m_exitPending = true;
        if (m_dispatchDepth == 0) {
            Unload();
        }
        return;
    case TrayCommandKind::None:
        break;
    }
    Shape1Changes([&](SelectionFrame& shape) { shape.SetSize(mCutState); });
}

void frmMain::BeginDispatch() noexcept {
    ++m_dispatchDepth;
}

void frmMain::EndDispatch() noexcept {
    if (--m_dispatchDepth == 0 && m_exitPending) {
        Unload();
    }
}

} // namespace snarvik
