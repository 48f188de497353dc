#include <windows.h>

#include "ui/frmMain.h"

#include "base/settings.h"
#include "base/settings_store.h"
#include "output/mCopyPicToClipboard.h"
#include "output/save_dialog.h"
#include "shell/mWebLink.h"
#include "tray/tray_logic.h"
#include "ui/dialog_placement.h"
#include "ui/resource.h"

namespace snarvik {

frmMain::frmMain(HINSTANCE instance, Options options)
    : m_instance(instance), m_options(std::move(options)) {}

std::unique_ptr<frmMain> frmMain::Load(HINSTANCE instance, Options options) {
    std::unique_ptr<frmMain> form(new frmMain(instance, std::move(options)));
    if (!form->CreateWindows()) {
        return nullptr;
    }
    form->Form_Load();
    return form;
}

bool frmMain::CreateWindows() {
    m_tray.LoadTrayIcon(m_instance);
    const int smallIcon = GetSystemMetrics(SM_CXSMICON);
    HCURSOR cursor = LoadCursorW(m_instance, MAKEINTRESOURCEW(IDC_CAPTURE));

    WNDCLASSEXW form{};
    form.cbSize = sizeof(form);
    form.lpfnWndProc = &WindowBase::Procedure;
    form.hInstance = m_instance;
    // Shared icons: the class may outlive this window.
    form.hIcon = LoadIconW(m_instance, MAKEINTRESOURCEW(IDI_SNARVIK));
    form.hIconSm = static_cast<HICON>(LoadImageW(m_instance, MAKEINTRESOURCEW(IDI_SNARVIK),
                                                 IMAGE_ICON, smallIcon, smallIcon, LR_SHARED));
    form.hCursor = cursor != nullptr ? cursor : LoadCursorW(nullptr, IDC_CROSS);
    form.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    form.lpszClassName = kClassName;
    RegisterClassExW(&form); // a second window in the process finds the class registered

    // Borderless, captionless popup; no taskbar button. Topmost so that the frozen screen
    // covers the taskbar while a cut is up.
    m_view.ReadDesktop();
    const Rect& screen = m_view.Screen();
    if (CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kClassName, L"",
                        WS_POPUP | WS_CLIPCHILDREN | WS_MINIMIZEBOX | WS_MAXIMIZEBOX, screen.left,
                        screen.top, screen.width, screen.height, nullptr, nullptr, m_instance,
                        static_cast<WindowBase*>(this)) == nullptr) {
        return false;
    }
    m_view.Create(hWnd(), m_instance);
    return true;
}

frmMain::~frmMain() {
    if (m_exit.Finish()) {
        Unload();
    }
    if (HWND window = hWnd()) {
        // A picture copied last outlives the program, in every form.
        mCopyPicToClipboard::RenderAllFormats(window);
        SetWindowLongPtrW(window, GWLP_USERDATA, 0); // nothing more reaches a closing form
        DestroyWindow(window);
    }
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
    if (m_options.trayMode) {
        SetWindowState(WindowState::Minimized);
        MakeTray();
    }
    if (m_options.firstRun) {
        // Its waits and messages handle the window's messages: Exit may be chosen inside.
        mCreateShortcut::WaitOptions shell;
        shell.message = [this](HWND owner, const std::string& text, const std::string& caption,
                               UINT type) {
            return ShowMessage(text, caption, type, owner);
        };
        shell.quitting = [this] {
            return m_exit.closing();
        };
        m_options.firstRun(hWnd(), shell);
    }
}

void frmMain::MakeTray() {
    mTrayMade = true;
    mMaximized = false;
    mSysTray::SetMainWindow(this);
    m_tray.MakeTray(hWnd());
}

// Unloads once: Exit, a close from outside, or the window's end.
void frmMain::Unload() {
    Form_Unload();
    if (m_options.endsProcess) {
        PostQuitMessage(0);
    }
}

void frmMain::Form_Unload() {
    if (hWnd() != nullptr) {
        ShowWindow(hWnd(), SW_HIDE);
    }
    m_pins.CloseAll();
    m_tray.Release();
    mSysTray::SetMainWindow(nullptr);
}

void frmMain::EndDispatch() noexcept {
    if (m_exit.Leave()) {
        Unload();
    }
}

void frmMain::MenuClick(std::int16_t& Index) {
    if (m_exit.closing()) {
        return;
    }
    const TrayCommand command = TrayCommandFor(Index);
    switch (command.kind) {
    case TrayCommandKind::OpenHomePage:
        mWebLink::OpenWebLink(hWnd(), kHomePageAddress);
        break;
    case TrayCommandKind::OpenHelp:
        mWebLink::OpenHelpPage(hWnd());
        break;
    case TrayCommandKind::StartCut:
        if (m_steps.any()) {
            return; // a cut's menu, dialog or message is open: it finishes undisturbed
        }
        m_tray.EndDelayedCut(); // a cut now (Print Screen) ends a count
        if (command.lastRegion) {
            m_view.CutLastRegion(); // the frame holds the region: no closing step
            return;
        }
        StartCut(command.cutLimit);
        break;
    case TrayCommandKind::StartDelayedCut:
        m_tray.StartDelayedCut(command.seconds);
        break;
    case TrayCommandKind::CancelDelayedCut:
        m_tray.EndDelayedCut();
        break;
    case TrayCommandKind::Exit:
        if (m_exit.Request()) {
            Unload();
        }
        return;
    case TrayCommandKind::None:
        break;
    }
    m_view.SizeShape1();
}

void frmMain::CutFromIcon() {
    std::int16_t closingOnly = kClosingStepOnly;
    MenuClick(closingOnly);
    m_tray.EndDelayedCut();
    if (m_view.GrabScreen()) {
        ShowCaptureWindow();
    }
}

void frmMain::PinPicture(Image picture, const Rect& onScreen) {
    EndCut();
    if (const Failed pinned = m_pins.Pin(m_instance, std::move(picture), onScreen)) {
        ShowError(*pinned);
    }
}

// ---------------------------------------------------------------------------------------------
// Dialogs and messages of the outputs, on the monitor the user is looking at

Result<std::string> frmMain::AskSaveName(const std::string& defaultName,
                                         const std::string& folder) {
    const ModalSteps::Step step(m_steps, ModalSteps::Kind::Dialog);
    const DialogsAtPointer placed;
    return ShowSaveDialog(hWnd(), defaultName, folder);
}

void frmMain::ShowError(const Failure& failure) {
    ShowMessage(failure.Message(), "Snarvik", MB_OK | MB_ICONERROR | MB_SETFOREGROUND,
                IsWindowVisible(hWnd()) ? hWnd() : nullptr);
}

void frmMain::ReportFailure(const std::exception_ptr& error) noexcept {
    // One message at a time: a step that fails again while it is shown is the same failure.
    static bool reporting = false;
    if (reporting) {
        return;
    }
    reporting = true;
    try {
        ShowError(FailureOf("Snarvik could not finish what it was doing", error));
    } catch (...) {
        // Too little memory for our words: the system's box with a fixed text still shows.
        MessageBoxW(nullptr, L"Snarvik could not finish what it was doing.", L"Snarvik",
                    MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
    }
    reporting = false;
}

int frmMain::ShowMessage(const std::string& text, const std::string& caption, UINT type,
                         HWND owner) {
    const ModalSteps::Step step(m_steps, ModalSteps::Kind::Dialog);
    const DialogsAtPointer placed;
    return MessageBoxW(owner, win::Wide(text).c_str(), win::Wide(caption).c_str(), type);
}

// ---------------------------------------------------------------------------------------------
// Messages

LRESULT frmMain::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    // An Exit chosen in a nested modal loop waits until the outermost dispatch has unwound.
    struct Dispatch {
        explicit Dispatch(frmMain& form) noexcept : m_form(form) { m_form.BeginDispatch(); }
        ~Dispatch() { m_form.EndDispatch(); }
        frmMain& m_form;
    } const dispatch(*this);
    return Handle(message, wParam, lParam);
}

LRESULT frmMain::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    if (const auto handled = m_tray.HandleMessage(message, wParam)) {
        return *handled;
    }
    switch (message) {
    case WM_PAINT:
        m_view.Paint();
        return 0;
    case kTakeSnapshot:
        m_view.TakeSnapshot();
        return 0;
    case kMarkingEnded:
        m_view.MarkingEnded();
        return 0;
    case WM_CHAR:
        m_view.Character(wParam);
        return 0;
    case WM_ERASEBKGND:
        return 1;
    // The clipboard's owner: its PNG is made only when a program asks for it.
    case WM_RENDERFORMAT:
        mCopyPicToClipboard::RenderFormat(static_cast<UINT>(wParam));
        return 0;
    case WM_RENDERALLFORMATS:
        mCopyPicToClipboard::RenderAllFormats(hWnd());
        return 0;
    case WM_DESTROYCLIPBOARD:
        mCopyPicToClipboard::Forget();
        return 0;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
        m_view.Mouse(message, wParam, lParam);
        return 0;
    case WM_KEYDOWN:
        m_view.Form_KeyDown(wParam);
        return 0;
    case WM_MOUSEWHEEL:
        m_view.Wheel(GET_WHEEL_DELTA_WPARAM(wParam));
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
        const Rect& screen = m_view.Screen();
        auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
        info->ptMaxPosition = {screen.left, screen.top};
        info->ptMaxSize = {screen.width, screen.height};
        info->ptMaxTrackSize = info->ptMaxSize;
        return 0;
    }
    case WM_CLOSE:
    case WM_ENDSESSION:
        // Closed by another program (an installer) or the session ending: as Exit. A cut's
        // menu, dialog or message still open finishes undisturbed; the asker may ask again.
        if (message == WM_CLOSE ? !m_steps.any() : wParam != 0) {
            std::int16_t exit = kExitProgram;
            MenuClick(exit);
        }
        return 0;
    default:
        return DefWindowProcW(hWnd(), message, wParam, lParam);
    }
}

} // namespace snarvik
