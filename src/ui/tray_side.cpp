// The tray made at load, the icon's events and its menu.
#include <windows.h>

#include "ui/tray_side.h"

#include "shell/mWebLink.h"
#include "tray/mSysTray.h"
#include "tray/print_screen.h"
#include "tray/tray_logic.h"
#include "ui/frmMain.h"
#include "ui/resource.h"

namespace snarvik {

namespace {

constexpr UINT_PTR kTrayClickTimer = 1;
constexpr UINT_PTR kIconRetryTimer = 2;
constexpr UINT_PTR kDelayTimer = 3;
constexpr UINT kDelayTickMs = 1000;
constexpr DWORD kMenuSettleMs = 150;

} // namespace

void TraySide::LoadTrayIcon(HINSTANCE instance) {
    m_instance = instance;
    const HWND taskbar = FindWindowW(L"Shell_TrayWnd", nullptr);
    UINT dpi = taskbar != nullptr ? GetDpiForWindow(taskbar) : 0;
    if (dpi == 0) {
        dpi = GetDpiForSystem();
    }
    const int size = GetSystemMetricsForDpi(SM_CXSMICON, dpi);
    if (m_icon && size == m_iconSize) {
        return;
    }
    win::UniqueIcon icon(static_cast<HICON>(
        LoadImageW(m_instance, MAKEINTRESOURCEW(IDI_SNARVIK), IMAGE_ICON, size, size, 0)));
    if (!icon) {
        return;
    }
    auto picture = std::make_shared<const Picture>(Picture{PictureType::Icon, icon.get()});
    if (IconEvent) {
        IconEvent->TrayIcon(picture);
    }
    m_iconPicture = std::move(picture);
    m_icon = std::move(icon);
    m_iconSize = size;
}

void TraySide::MakeTray(HWND window) {
    m_window = window;
    m_taskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");
    BuildTrayMenu();
    IconEvent = std::make_unique<cSysTray>(window, static_cast<cSysTrayEvents&>(*this));
    IconEvent->TrayIcon(m_iconPicture);
    IconEvent->InTray(true);
    AfterIconAdd();
}

void TraySide::BuildTrayMenu() {
    win::UniqueMenu menu(CreatePopupMenu());
    HMENU submenu = nullptr; // owned by menu once appended
    for (const auto& entry : kTrayMenu) {
        const std::wstring text = win::Wide(entry.text);
        if ((entry.flags & kInSubmenu) != 0) {
            if (submenu != nullptr) {
                AppendMenuW(submenu, entry.flags & ~kInSubmenu, entry.id, text.c_str());
            }
        } else if ((entry.flags & kMenuPopup) != 0 && m_delay.running()) {
            submenu = nullptr;
            AppendMenuW(menu.get(), kCancelDelayedCutEntry.flags, kCancelDelayedCutEntry.id,
                        win::Wide(kCancelDelayedCutEntry.text).c_str());
        } else if ((entry.flags & kMenuPopup) != 0) {
            win::UniqueMenu items(CreatePopupMenu());
            submenu = items.get();
            if (AppendMenuW(menu.get(), MF_POPUP, reinterpret_cast<UINT_PTR>(submenu),
                            text.c_str()) != FALSE) {
                static_cast<void>(items.release()); // the menu owns it now
            } else {
                submenu = nullptr;
            }
        } else {
            AppendMenuW(menu.get(), entry.flags, entry.id, text.c_str());
        }
    }
    SetMenuDefaultItem(menu.get(), kTrayMenuDefaultPosition, TRUE);
    mTrayMenu = std::move(menu);
}

void TraySide::StartDelayedCut(int seconds) {
    m_delay.Start(seconds);
    SetTimer(m_window, kDelayTimer, kDelayTickMs, nullptr);
    if (IconEvent) {
        IconEvent->Tip(m_delay.Tip());
    }
}

void TraySide::EndDelayedCut() {
    if (m_delay.End() && m_window != nullptr) {
        KillTimer(m_window, kDelayTimer);
    }
    if (IconEvent) {
        IconEvent->Tip(m_delay.Tip());
    }
}

void TraySide::DelayTimer() {
    if (m_exit.closing()) {
        EndDelayedCut();
        return;
    }
    // Our own menu or dialog finishes undisturbed; the cut follows once it has closed.
    const DelayedCut::Tick tick = m_delay.Second(m_steps.any());
    if (!m_delay.running()) {
        KillTimer(m_window, kDelayTimer);
    }
    if (IconEvent) {
        IconEvent->Tip(m_delay.Tip());
    }
    if (tick == DelayedCut::Tick::Cut) {
        m_host.CutAfterDelay();
    }
}

void TraySide::AfterIconAdd() {
    KillTimer(m_window, kIconRetryTimer);
    m_iconRetries = 0;
    if (IconEvent->IconAdded()) {
        NoticeOnce();
    } else {
        SetTimer(m_window, kIconRetryTimer, kIconRetryDelaysMs[0], nullptr);
    }
}

void TraySide::IconRetryTimer() {
    KillTimer(m_window, kIconRetryTimer);
    if (IconEvent->AddIconAgain()) {
        NoticeOnce();
    } else if (++m_iconRetries < kIconRetryDelaysMs.size()) {
        SetTimer(m_window, kIconRetryTimer, kIconRetryDelaysMs[m_iconRetries], nullptr);
    }
}

void TraySide::NoticeOnce() {
    if (!m_balloon.decided) {
        m_balloon.decided = true;
        ShowNotice(NoticeAtStart(ReadPrintScreenFacts(IconEvent->HotkeyRegistered())));
    }
}

void TraySide::ShowNotice(PrintScreenNotice notice) {
    m_balloon.notice = notice;
    m_balloon.saved.clear();
    if (notice != PrintScreenNotice::None) {
        IconEvent->Balloon("Snarvik", std::string(NoticeText(notice)));
    }
}

void TraySide::ShowSaved(const std::string& path) {
    if (IconEvent) {
        m_balloon.notice = PrintScreenNotice::None;
        m_balloon.saved = path;
        const std::string name = path.substr(path.find_last_of("\\/") + 1);
        IconEvent->Balloon("Snarvik", "Saved " + name + ". Click here to see it in its folder.");
    }
}

void TraySide::IconEvent_BalloonClick() {
    if (!m_balloon.saved.empty()) {
        mWebLink::ShowInFolder(m_window, std::exchange(m_balloon.saved, {}));
        return;
    }
    if (!ClickTurnsSystemCaptureOff(m_balloon.notice)) {
        return;
    }
    m_balloon.notice = PrintScreenNotice::None;
    const bool before = IconEvent->HotkeyRegistered();
    if (const Failed failed = TurnSystemCaptureOff()) {
        m_host.ShowError(*failed);
        return;
    }
    ShowNotice(NoticeAfterSettingOff(before, IconEvent->TakeHotkey()));
}

void TraySide::Release() {
    if (m_window != nullptr) {
        KillTimer(m_window, kTrayClickTimer);
        KillTimer(m_window, kIconRetryTimer);
        KillTimer(m_window, kDelayTimer);
    }
    m_delay.End();
    IconEvent.reset();
    mTrayMenu.reset();
}

std::optional<LRESULT> TraySide::HandleMessage(UINT message, WPARAM wParam) {
    switch (message) {
    case WM_SETTINGCHANGE:
        // The holder of Print Screen may have let it go with the change (the system's own).
        if (IconEvent) {
            IconEvent->TakeHotkey();
        }
        [[fallthrough]];
    case WM_DPICHANGED:
    case WM_DISPLAYCHANGE:
        LoadTrayIcon(m_instance); // the notification area's scaling may have changed
        return std::nullopt;
    case WM_TIMER:
        if (wParam == kTrayClickTimer) {
            TrayClickTimer();
        } else if (wParam == kIconRetryTimer && IconEvent) {
            IconRetryTimer();
        } else if (wParam == kDelayTimer) {
            DelayTimer();
        } else {
            return std::nullopt;
        }
        return 0;
    default:
        break;
    }
    if (!IconEvent) {
        return std::nullopt;
    }
    if (message == m_taskbarCreated && m_taskbarCreated != 0) {
        LoadTrayIcon(m_instance);
        IconEvent->TaskbarCreated();
        AfterIconAdd(); // a restarted shell may not be ready either
        return 0;
    }
    if (message == frmMain::AlreadyRunningMessage()) {
        m_balloon.notice = PrintScreenNotice::None;
        m_balloon.saved.clear();
        IconEvent->Balloon("Snarvik", "Snarvik is already running. Press Print Screen or "
                                      "double-click the scissors to cut a piece of the screen.");
        return 0;
    }
    return std::nullopt;
}

void TraySide::IconEvent_MouseDown(std::int16_t Button, std::uint32_t) {
    if (Button == 1) {
        // A left press may be the first half of a double click, whose cut the menu's modal
        // loop would swallow: open the menu only once the double-click time has passed.
        SetTimer(m_window, kTrayClickTimer, GetDoubleClickTime(), nullptr);
        return;
    }
    ShowTrayMenu();
}

void TraySide::TrayClickTimer() {
    KillTimer(m_window, kTrayClickTimer);
    if (!m_exit.closing() && !IsWindowVisible(m_window)) { // a cut that came up keeps it
        ShowTrayMenu();
    }
}

void TraySide::ShowTrayMenu() {
    if (m_steps.menuOpen()) {
        return; // one menu at a time
    }
    if (IconEvent) {
        IconEvent->TakeHotkey(); // its holder may have gone meanwhile
    }
    BuildTrayMenu(); // the delayed cut's items or its cancel, as the count stands now
    POINT cursor{};
    GetCursorPos(&cursor);
    SetForegroundWindow(m_window);
    {
        const ModalSteps::Step step(m_steps, ModalSteps::Kind::Menu);
        TrackPopupMenu(mTrayMenu.get(), TPM_CENTERALIGN | TPM_RIGHTBUTTON, cursor.x, cursor.y, 0,
                       m_window, nullptr);
    }
    PostMessageW(m_window, WM_NULL, 0, 0);
}

void TraySide::IconEvent_MenuClick(std::int16_t Index) {
    if (TrayCommandFor(Index).kind == TrayCommandKind::StartCut) {
        // The tray menu has only just closed: let the windows under it repaint, or the grab
        // freezes a ghost of the menu into the picture.
        Sleep(kMenuSettleMs);
    }
    m_host.MenuClick(Index);
}

void TraySide::IconEvent_MouseDblClick(std::int16_t, std::uint32_t) {
    if (m_exit.closing() || m_steps.any()) {
        return; // a cut's menu, dialog or message is open: it finishes undisturbed
    }
    KillTimer(m_window, kTrayClickTimer);
    m_host.CutFromIcon();
}

} // namespace snarvik
