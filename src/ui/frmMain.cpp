#include <windows.h>
#include <windowsx.h>

#include "ui/frmMain.h"

#include "app/first_run.h"
#include "app/mMain.h"
#include "app/settings.h"
#include "app/settings_store.h"
#include "capture/screen_grab.h"
#include "output/ShowSaveDialog.h"
#include "ui/resource.h"

namespace snarvik {

namespace {

constexpr const wchar_t* kPictureClassName = L"SnarvikPicture";

} // namespace

frmMain::frmMain(HINSTANCE instance, bool endsProcess)
    : m_instance(instance), m_endsProcess(endsProcess) {}

std::unique_ptr<frmMain> frmMain::Load(HINSTANCE instance, bool endsProcess) {
    std::unique_ptr<frmMain> form(new frmMain(instance, endsProcess));
    if (!form->CreateWindows()) {
        return nullptr;
    }
    form->Form_Load();
    return form;
}

bool frmMain::CreateWindows() {
    LoadTrayIcon();
    const int smallIcon = GetSystemMetrics(SM_CXSMICON);
    HCURSOR cursor = LoadCursorW(m_instance, MAKEINTRESOURCEW(IDC_CAPTURE));

    WNDCLASSEXW form{};
    form.cbSize = sizeof(form);
    form.lpfnWndProc = &frmMain::WndProc;
    form.hInstance = m_instance;
    // Shared icons: the class may outlive this window.
    form.hIcon = LoadIconW(m_instance, MAKEINTRESOURCEW(IDI_SNARVIK));
    form.hIconSm = static_cast<HICON>(LoadImageW(m_instance, MAKEINTRESOURCEW(IDI_SNARVIK),
                                                 IMAGE_ICON, smallIcon, smallIcon, LR_SHARED));
    form.hCursor = cursor != nullptr ? cursor : LoadCursorW(nullptr, IDC_CROSS);
    form.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    form.lpszClassName = kClassName;
    RegisterClassExW(&form); // a second window in the process finds the class registered

    WNDCLASSEXW picture{};
    picture.cbSize = sizeof(picture);
    picture.lpfnWndProc = &frmMain::PictureProc;
    picture.hInstance = m_instance;
    picture.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    picture.lpszClassName = kPictureClassName;
    RegisterClassExW(&picture);

    // Borderless, captionless popup; no taskbar button. Topmost so that the frozen screen
    // covers the taskbar while a cut is up.
    m_desktop = CurrentDesktop();
    m_screen = VirtualScreen(m_desktop);
    m_hwnd = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kClassName, L"",
                             WS_POPUP | WS_CLIPCHILDREN | WS_MINIMIZEBOX | WS_MAXIMIZEBOX,
                             m_screen.left, m_screen.top, m_screen.width, m_screen.height, nullptr,
                             nullptr, m_instance, this);
    if (m_hwnd == nullptr) {
        return false;
    }
    Picture1 = CreateWindowExW(0, kPictureClassName, L"", WS_CHILD, 0, 0, 0, 0, m_hwnd, nullptr,
                               m_instance, this);

    mnuPopup.reset(CreatePopupMenu());
    HMENU wallpaper = CreatePopupMenu();
    AppendMenuW(wallpaper, MF_STRING, kMenuWallpaperMode + 1, L"&Tile");
    AppendMenuW(wallpaper, MF_STRING, kMenuWallpaperMode + 2, L"&Center");
    AppendMenuW(wallpaper, MF_STRING, kMenuWallpaperMode + 3, L"&Stretch");
    HMENU popup = mnuPopup.get();
    AppendMenuW(popup, MF_STRING, kMenuCopyToClipboard, L"Copy to &Clipboard");
    AppendMenuW(popup, MF_STRING, kMenuSaveBitmap, L"Save as &Bitmap (.bmp)");
    AppendMenuW(popup, MF_STRING, kMenuSavePng, L"Save as &PNG (.png)");
    AppendMenuW(popup, MF_STRING, kMenuSaveIcon, L"Save as &Icon (.ico)");
    AppendMenuW(popup, MF_STRING, kMenuSaveCursor, L"Save as &Cursor (.cur)");
    AppendMenuW(popup, MF_POPUP, reinterpret_cast<UINT_PTR>(wallpaper), L"Set as &Wallpaper");
    AppendMenuW(popup, MF_STRING, kMenuReselect, L"&Reselect");
    AppendMenuW(popup, MF_STRING, kMenuAbort, L"&Abort");

    m_taskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");
    return true;
}

frmMain::~frmMain() {
    Unload();
    if (m_hwnd != nullptr) {
        SetWindowLongPtrW(m_hwnd, GWLP_USERDATA, 0);
        DestroyWindow(m_hwnd);
    }
}

// The tray icon at the size the notification area's scaling asks for, from the artwork drawn
// for that size; the shell gets the new icon before the old one is destroyed.
void frmMain::LoadTrayIcon() {
    const HWND taskbar = FindWindowW(L"Shell_TrayWnd", nullptr);
    UINT dpi = taskbar != nullptr ? GetDpiForWindow(taskbar) : 0;
    if (dpi == 0) {
        dpi = GetDpiForSystem();
    }
    const int size = GetSystemMetricsForDpi(SM_CXSMICON, dpi);
    if (m_trayIcon && size == m_trayIconSize) {
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
    m_trayIconPicture = std::move(picture);
    m_trayIcon = std::move(icon);
    m_trayIconSize = size;
}

UINT frmMain::AlreadyRunningMessage() {
    static const UINT message = RegisterWindowMessageW(L"Snarvik.AlreadyRunning");
    return message;
}

void frmMain::Form_Load() {
    // The number first: a cut and a save can run in the first run's message loops.
    const auto number = settings::ParseInt32(
        settings::GetSetting(settings::kAppName, settings::kSection, settings::kNumber, "1"));
    if (number) {
        mNumber = *number;
    }
    if (mMain::TrayMode) {
        SetWindowState(WindowState::Minimized);
        MakeTray();
    }
    RunFirstRunActions(m_hwnd,
                       [this](HWND owner, const std::string& text, const std::string& caption,
                              UINT type) { return ShowMessage(text, caption, type, owner); });
}

void frmMain::Unload() {
    if (m_unloaded) {
        return;
    }
    m_unloaded = true;
    m_exitPending = false;
    Form_Unload();
    if (m_endsProcess) {
        PostQuitMessage(0);
    }
}

void frmMain::Form_Unload() {
    if (m_hwnd != nullptr) {
        KillTimer(m_hwnd, kTrayClickTimer);
        ShowWindow(m_hwnd, SW_HIDE);
    }
    IconEvent.reset(); // hotkey, icon, window procedure, atom, in that order
    mSysTray::SetMainWindow(nullptr);
    mTrayMenu.reset();
}

// ---------------------------------------------------------------------------------------------
// Window states: hidden in the tray, or maximised over the screen

void frmMain::SetWindowState(WindowState state) {
    m_state = state;
    if (IsWindowVisible(m_hwnd) && state != WindowState::Minimized) {
        m_applyingState = true;
        ShowWindow(m_hwnd, state == WindowState::Maximized ? SW_MAXIMIZE : SW_RESTORE);
        m_applyingState = false;
    }
    Form_Resize();
}

void frmMain::Form_Resize() {
    try {
        TrayResize();
    } catch (...) {
        // A failing resize step is skipped.
    }
}

void frmMain::TrayResize() {
    switch (TrayResizeAction(mMain::TrayMode, mTrayMade, m_state, mMaximized)) {
    case ResizeAction::None:
        break;
    case ResizeAction::Hide:
        ShowWindow(m_hwnd, SW_HIDE);
        mMaximized = false;
        break;
    case ResizeAction::Maximize:
        // A hidden window only takes the state; showing it (a cut) makes it visible.
        m_state = WindowState::Maximized;
        if (m_showing || (IsWindowVisible(m_hwnd) && !IsZoomed(m_hwnd))) {
            m_applyingState = true;
            ShowWindow(m_hwnd, SW_MAXIMIZE);
            m_applyingState = false;
        }
        mMaximized = true;
        break;
    }
}

void frmMain::ShowCaptureWindow() {
    if (!IsWindowVisible(m_hwnd)) {
        // Shown in its current state, which raises the resize handling: it maximises.
        m_showing = true;
        Form_Resize();
        m_showing = false;
    }
    // Over the whole desktop as it is now: monitors may have come, gone or changed since the
    // window was last maximised.
    RECT placed{};
    GetWindowRect(m_hwnd, &placed);
    if (placed.left != m_screen.left || placed.top != m_screen.top ||
        placed.right - placed.left != m_screen.width ||
        placed.bottom - placed.top != m_screen.height) {
        m_applyingState = true;
        SetWindowPos(m_hwnd, HWND_TOPMOST, m_screen.left, m_screen.top, m_screen.width,
                     m_screen.height, SWP_NOACTIVATE);
        m_applyingState = false;
    }
    SetForegroundWindow(m_hwnd);
    POINT pointer{};
    GetCursorPos(&pointer);
    ShowOverlay(pointer.x - m_screen.left, pointer.y - m_screen.top);
}

void frmMain::EndCut() {
    SetWindowState(WindowState::Minimized);
}

// ---------------------------------------------------------------------------------------------
// Dialogs and messages of the outputs

SaveDialogResult frmMain::AskSaveName(const std::string& defaultName) {
    const ModalStep step(*this);
    return ShowSaveDialog(Picture1, defaultName);
}

void frmMain::ShowError(const std::string& text) {
    ShowMessage(text, "Snarvik", MB_OK | MB_ICONERROR | MB_SETFOREGROUND,
                IsWindowVisible(m_hwnd) ? m_hwnd : nullptr);
}

int frmMain::ShowMessage(const std::string& text, const std::string& caption, UINT type,
                         HWND owner) {
    const ModalStep step(*this);
    return MessageBoxW(owner, win::Wide(text).c_str(), win::Wide(caption).c_str(), type);
}

// ---------------------------------------------------------------------------------------------
// Messages

LRESULT CALLBACK frmMain::WndProc(HWND window, UINT message, WPARAM wParam,
                                  LPARAM lParam) noexcept {
    if (message == WM_NCCREATE) {
        auto* form =
            static_cast<frmMain*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
        form->m_hwnd = window;
    }
    auto* form = reinterpret_cast<frmMain*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (form == nullptr) {
        return DefWindowProcW(window, message, wParam, lParam);
    }
    form->BeginDispatch();
    LRESULT result = 0;
    try {
        result = form->HandleMessage(message, wParam, lParam);
    } catch (...) {
        // A failing handler step is skipped; nothing crosses into the system.
        result = 0;
    }
    form->EndDispatch();
    return result;
}

LRESULT frmMain::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    const auto mouse = [&](int button, auto handler) {
        (this->*handler)(button, static_cast<int>(wParam & (MK_SHIFT | MK_CONTROL)),
                         GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        return LRESULT{0};
    };
    switch (message) {
    case WM_PAINT:
        Paint();
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_LBUTTONDOWN:
        return mouse(1, &frmMain::Form_MouseDown);
    case WM_RBUTTONDOWN:
        return mouse(2, &frmMain::Form_MouseDown);
    case WM_MBUTTONDOWN:
        return mouse(4, &frmMain::Form_MouseDown);
    case WM_MOUSEMOVE:
        if (IsKeyMoveEcho(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam))) {
            return 0;
        }
        return mouse(0, &frmMain::Form_MouseMove);
    case WM_LBUTTONUP:
        return mouse(1, &frmMain::Form_MouseUp);
    case WM_RBUTTONUP:
        return mouse(2, &frmMain::Form_MouseUp);
    case WM_MBUTTONUP:
        return mouse(4, &frmMain::Form_MouseUp);
    case WM_KEYDOWN:
        Form_KeyDown(wParam);
        return 0;
    case WM_SIZE:
        if (!m_applyingState) {
            m_state = wParam == SIZE_MINIMIZED   ? WindowState::Minimized
                      : wParam == SIZE_MAXIMIZED ? WindowState::Maximized
                                                 : WindowState::Normal;
            Form_Resize();
        }
        return 0;
    case WM_GETMINMAXINFO: {
        // Maximised means every monitor, taskbars included.
        auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
        info->ptMaxPosition = {m_screen.left, m_screen.top};
        info->ptMaxSize = {m_screen.width, m_screen.height};
        info->ptMaxTrackSize = info->ptMaxSize;
        return 0;
    }
    case WM_DPICHANGED:
    case WM_DISPLAYCHANGE:
    case WM_SETTINGCHANGE:
        LoadTrayIcon(); // the notification area's scaling may have changed
        break;
    case WM_TIMER:
        if (wParam == kTrayClickTimer) {
            TrayClickTimer();
            return 0;
        }
        break;
    case WM_CLOSE:
    case WM_ENDSESSION:
        // Closed by another program (an installer) or the session ending: as Exit. A cut's
        // menu, dialog or message still open finishes undisturbed; the asker may ask again.
        if (message == WM_CLOSE ? m_modalSteps == 0 : wParam != 0) {
            std::int16_t exit = 6;
            MenuClick(exit);
        }
        return 0;
    default:
        if (message == m_taskbarCreated && m_taskbarCreated != 0 && IconEvent) {
            LoadTrayIcon();
            IconEvent->TaskbarCreated();
            return 0;
        }
        if (message == AlreadyRunningMessage() && IconEvent) {
            IconEvent->Balloon("Snarvik",
                               "Snarvik is already running. Press Print Screen or "
                               "double-click the scissors to cut a piece of the screen.");
            return 0;
        }
        break;
    }
    return DefWindowProcW(m_hwnd, message, wParam, lParam);
}

LRESULT CALLBACK frmMain::PictureProc(HWND window, UINT message, WPARAM wParam,
                                      LPARAM lParam) noexcept {
    if (message == WM_NCCREATE) {
        auto* form =
            static_cast<frmMain*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
    }
    auto* form = reinterpret_cast<frmMain*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    try {
        if (form != nullptr && message == WM_PAINT) {
            form->PaintPicture1();
            return 0;
        }
        if (message == WM_ERASEBKGND) {
            return 1;
        }
    } catch (...) {
        return 0;
    }
    // No mouse handling of its own: clicks on the picture do nothing.
    return DefWindowProcW(window, message, wParam, lParam);
}

} // namespace snarvik
