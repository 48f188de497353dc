#include <windows.h>

#include "tray/cSysTray.h"

#include <algorithm>

#include "base/win32.h"
#include "tray/delayed_cut.h"
#include "tray/mSysTray.h"
#include "tray/tray_logic.h"

namespace snarvik {

static_assert(kMenuSeparator == MF_SEPARATOR && kMenuString == MF_STRING);
static_assert(kTrayCallbackMessage == WM_USER + 101 && kHotkeyMessage == WM_HOTKEY &&
              kCommandMessage == WM_COMMAND);

namespace {

// Copies text into a fixed field of the record, cut to fit and NUL-terminated.
template <std::size_t N> void Fill(wchar_t (&field)[N], const std::string& text) {
    const std::wstring wide = win::Wide(text);
    const std::size_t kept = std::min(wide.size(), N - 1);
    std::copy_n(wide.begin(), kept, field);
    field[kept] = L'\0';
}

// The notification record as every shell call of ours sends it, in the form that has the
// balloon's fields: the callback message only with NIF_MESSAGE, the icon only with NIF_ICON,
// the tip only with NIF_TIP; everything else zero.
NOTIFYICONDATAW MakeNotifyRecord(HWND window, std::uint32_t id, std::uint32_t flags, HICON icon,
                                 const std::string& tip) {
    NOTIFYICONDATAW record{};
    record.cbSize = NOTIFYICONDATAW_V2_SIZE;
    record.hWnd = window;
    record.uID = id;
    record.uFlags = flags;
    if ((flags & NIF_MESSAGE) != 0) {
        record.uCallbackMessage = kTrayCallbackMessage;
    }
    if ((flags & NIF_ICON) != 0) {
        record.hIcon = icon;
    }
    if ((flags & NIF_TIP) != 0) {
        Fill(record.szTip, tip);
    }
    return record;
}

// The tray object's own timer on the main window, apart from the window's timers.
constexpr UINT_PTR kKeyReleaseTimerId = 0x2C00;
constexpr UINT kKeyReleasePollMs = 50;

} // namespace

cSysTray::cSysTray(HWND mainWindow, cSysTrayEvents& listener)
    : m_listener(listener), mTip(kTrayTip), mhWnd(mainWindow) {
    TakeHotkey();
}

cSysTray::~cSysTray() {
    KillTimer(mhWnd, kKeyReleaseTimerId);
    UnregisterHotKey(mhWnd, mAtom.Value());
    if (mInTray) {
        InTray(false);
    }
    // The hook must never reach a destroyed object through a stale pointer.
    if (mSysTray::mTrayPtr == this) {
        mSysTray::mTrayPtr = nullptr;
    }
}

void cSysTray::TrayIcon(PictureRef Icon) {
    if (Icon == nullptr || Icon->Type != PictureType::Icon) {
        return;
    }
    if (mShown) {
        NOTIFYICONDATAW record =
            MakeNotifyRecord(mhWnd, mID, NIF_ICON, static_cast<HICON>(Icon->Handle), {});
        Shell_NotifyIconW(NIM_MODIFY, &record);
    }
    mIcon = std::move(Icon);
}

void cSysTray::InTray(bool Show) {
    if (Show == mInTray) {
        return;
    }
    if (Show) {
        const auto previous = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(
            mhWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&mSysTray::SysTrayWndProc)));
        // Taking the hook itself as the old procedure would make it call itself forever.
        if (previous != &mSysTray::SysTrayWndProc) {
            mSysTray::mOldWndProc = previous;
        }
        mSysTray::mTrayPtr = this;
        m_added = AddIcon(mhWnd, mID, mTip, mIcon);
        mShown = true;
    } else if (mShown) {
        DeleteIcon(mhWnd, mID);
        m_added = false;
        SetWindowLongPtrW(mhWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(mSysTray::mOldWndProc));
        mShown = false;
    }
    mInTray = Show;
}

bool cSysTray::AddIcon(HWND window, std::uint32_t id, const std::string& tip,
                       const PictureRef& picture) {
    std::uint32_t flags = NIF_MESSAGE;
    HICON icon = nullptr;
    if (picture != nullptr) {
        icon = static_cast<HICON>(picture->Handle);
        flags |= NIF_ICON;
    }
    if (!tip.empty()) {
        flags |= NIF_TIP;
    }
    NOTIFYICONDATAW record = MakeNotifyRecord(window, id, flags, icon, tip);
    return Shell_NotifyIconW(NIM_ADD, &record) != FALSE;
}

bool cSysTray::AddIconAgain() {
    if (mShown && !m_added) {
        m_added = AddIcon(mhWnd, mID, mTip, mIcon);
        if (!m_added) {
            // An add the shell timed out on may have gone through after all: then it knows
            // the icon and takes a change to it.
            NOTIFYICONDATAW record = MakeNotifyRecord(
                mhWnd, mID, NIF_MESSAGE | (mIcon != nullptr ? NIF_ICON : 0u) | NIF_TIP,
                mIcon != nullptr ? static_cast<HICON>(mIcon->Handle) : nullptr, mTip);
            m_added = Shell_NotifyIconW(NIM_MODIFY, &record) != FALSE;
        }
    }
    return m_added;
}

void cSysTray::DeleteIcon(HWND window, std::uint32_t id) {
    NOTIFYICONDATAW record = MakeNotifyRecord(window, id, 0, nullptr, {});
    Shell_NotifyIconW(NIM_DELETE, &record);
}

void cSysTray::Tip(const std::string& text) {
    if (text == mTip) {
        return;
    }
    mTip = text;
    if (mShown) {
        NOTIFYICONDATAW record = MakeNotifyRecord(mhWnd, mID, NIF_TIP, nullptr, mTip);
        Shell_NotifyIconW(NIM_MODIFY, &record);
    }
}

void cSysTray::Balloon(const std::string& title, const std::string& text) {
    if (mShown) {
        NOTIFYICONDATAW record = MakeNotifyRecord(mhWnd, mID, NIF_INFO, nullptr, {});
        Fill(record.szInfoTitle, title);
        Fill(record.szInfo, text);
        record.dwInfoFlags = NIIF_INFO;
        Shell_NotifyIconW(NIM_MODIFY, &record);
    }
}

void cSysTray::RaiseMouseEvent(std::uint32_t message, std::uint32_t id) {
    const TrayMouseAction action = MapTrayMouseMessage(message);
    std::int16_t Button = action.button;
    std::uint32_t ID = id;
    switch (action.event) {
    case TrayMouseEvent::MouseMove:
        m_listener.MouseMove(ID);
        break;
    case TrayMouseEvent::MouseDown:
        m_listener.MouseDown(Button, ID);
        break;
    case TrayMouseEvent::MouseUp:
        m_listener.MouseUp(Button, ID);
        break;
    case TrayMouseEvent::MouseDblClick:
        m_listener.MouseDblClick(Button, ID);
        break;
    case TrayMouseEvent::BalloonClick:
        m_listener.BalloonClick();
        break;
    case TrayMouseEvent::None:
        break;
    }
}

void cSysTray::RaiseMenuClick(std::int16_t Index) {
    m_listener.MenuClick(Index);
}

void cSysTray::TaskbarCreated() {
    if (mShown) {
        m_added = AddIcon(mhWnd, mID, mTip, mIcon);
    }
}

bool cSysTray::TakeHotkey() {
    // MOD_NOREPEAT: holding the key down is one cut, not one per repeat.
    if (!m_registered) {
        m_registered = RegisterHotKey(mhWnd, mAtom.Value(), MOD_NOREPEAT, VK_SNAPSHOT) != FALSE;
    }
    return m_registered;
}

bool cSysTray::HotkeyPressed() {
    // Some systems ignore MOD_NOREPEAT; so a press counts only once the key was let go.
    if (m_keyHeld && GetAsyncKeyState(VK_SNAPSHOT) < 0) {
        return false;
    }
    m_keyHeld = SetTimer(mhWnd, kKeyReleaseTimerId, kKeyReleasePollMs, &KeyReleaseTimer) != 0;
    return true;
}

void CALLBACK cSysTray::KeyReleaseTimer(HWND window, UINT, UINT_PTR, DWORD) noexcept {
    cSysTray* const tray = mSysTray::mTrayPtr;
    if (GetAsyncKeyState(VK_SNAPSHOT) < 0 && tray != nullptr && tray->m_keyHeld) {
        return;
    }
    KillTimer(window, kKeyReleaseTimerId);
    if (tray != nullptr) {
        tray->m_keyHeld = false;
    }
}

} // namespace snarvik
