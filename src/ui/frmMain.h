// The program's one window: hidden in the tray between cuts, maximised over the whole screen
// showing the frozen screen during a cut. It keeps its two states and dispatches the tray
// commands; its parts do the rest:
//   CaptureView        the cut on screen (capture_view.*, capture_paint.cpp, selection_menu.cpp)
//   TraySide           the icon, its events and the tray menu (tray_side.*)
//   SelectionCommands  what the selection menu's outputs do (output/selection_commands.*)
//   PinBoard           the pictures pinned to the screen (pin_board.*, pin_window.*)
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "output/selection_commands.h"
#include "shell/mCreateShortcut.h"
#include "tray/mSysTray.h"
#include "tray/tray_logic.h"
#include "ui/capture_view.h"
#include "ui/exit_gate.h"
#include "ui/modal_steps.h"
#include "ui/pin_board.h"
#include "ui/tray_side.h"
#include "ui/window_base.h"
#include "ui/window_state.h"

namespace snarvik {

class frmMain final : public WindowBase,
                      public mSysTray::MainWindow,
                      private CaptureHost,
                      private TrayHost,
                      private SelectionHost {
public:
    // Other programs (the installer) find the running instance by this class.
    inline static constexpr const wchar_t* kClassName = L"SnarvikMainWindow";
    // Sent by a second start to the running instance, which then says that it runs.
    static UINT AlreadyRunningMessage();

    struct Options {
        bool trayMode = true;     // mMain::TrayMode: minimised at load, with the tray made
        bool endsProcess = false; // its unloading ends the thread's message loop
        // The first-run actions, run last at load, with the window as owner; shell shows their
        // messages and says when Exit has been chosen meanwhile.
        std::function<void(HWND owner, const mCreateShortcut::WaitOptions& shell)> firstRun{};
        ScreenGrabber grab = GrabScreenInto; // how a cut copies the screen
    };
    // Creates the window (never shown) and runs its load handling.
    static std::unique_ptr<frmMain> Load(HINSTANCE instance, Options options);
    ~frmMain();
    frmMain(const frmMain&) = delete;
    frmMain& operator=(const frmMain&) = delete;

    void TrayResize();
    void MakeTray();
    void MenuClick(std::int16_t& Index) override;
    void StartCut(std::int32_t limit) { m_view.StartCut(limit); }
    bool GrabScreen() { return m_view.GrabScreen(); }
    void SetWindowState(WindowState state);
    PinBoard& pins() noexcept { return m_pins; }

private:
    frmMain(HINSTANCE instance, Options options);
    bool CreateWindows();

    // WindowBase: every message inside one dispatch of the exit gate.
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
    void Form_Load();
    void Form_Resize() { TrayResize(); }
    void Form_Unload();
    void Unload();
    int ShowMessage(const std::string& text, const std::string& caption, UINT type, HWND owner);

    // mSysTray::MainWindow
    void BeginDispatch() noexcept override { m_exit.Enter(); }
    void EndDispatch() noexcept override;
    void ReportFailure(const std::exception_ptr& error) noexcept override;
    // CaptureHost
    bool CaptureUp() const override { return m_state == WindowState::Maximized; }
    void ShowCaptureWindow() override;
    void EndCut() override;
    bool Closing() const override { return m_exit.closing(); }
    void PinPicture(Image picture, const Rect& onScreen) override;
    // TrayHost
    void CutFromIcon() override;
    void CutAfterDelay() override {
        std::int16_t anySize = kCutAnySize;
        MenuClick(anySize);
    }
    // SelectionHost (and CaptureHost's ShowError)
    HWND Owner() const override { return hWnd(); }
    Result<std::string> AskSaveName(const std::string& defaultName,
                                    const std::string& folder) override;
    void ShowError(const Failure& failure) override;
    void ShowSaved(const std::string& path) override { m_tray.ShowSaved(path); }

    HINSTANCE m_instance;
    Options m_options;

    // The window states
    WindowState m_state = WindowState::Maximized;
    bool mMaximized = false;
    bool mTrayMade = false;
    bool m_applyingState = false; // our own ShowWindow calls: not a change from outside
    bool m_showing = false;       // the capture window is being shown

    ExitGate m_exit;
    ModalSteps m_steps;
    std::int32_t mNumber = 0;
    SelectionCommands m_commands{*this, mNumber};
    PinBoard m_pins{m_commands, m_steps, [this](const std::exception_ptr& error) {
                        ReportFailure(error);
                    }};
    CaptureView m_view{*this, m_steps, m_commands, m_options.grab};
    TraySide m_tray{*this, m_steps, m_exit};
};

} // namespace snarvik
