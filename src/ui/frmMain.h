// The program's one window: hidden in the tray between cuts, maximised over the whole screen
// showing the frozen screen during a cut. Its parts are in files of their own:
//   frmMain.cpp       creation, messages, the two window states, loading and unloading
//   tray_side.cpp     the tray: MakeTray, the icon's events, MenuClick, Exit inside a dispatch
//   capture_view.cpp  the cut on screen: StartCut, the grab, the mouse, Shape1, Picture1, paint
// What the selection menu's output items do is output/selection_commands.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/win32.h"
#include "capture/desktop.h"
#include "capture/selected_picture.h"
#include "capture/selection.h"
#include "capture/surface.h"
#include "output/selection_commands.h"
#include "ui/dialog_placement.h"
#include "tray/cSysTray.h"
#include "tray/mSysTray.h"
#include "tray/picture.h"
#include "ui/window_state.h"

namespace snarvik {

// Identifiers of the selection menu's items; none carries the tray menu's 0x2000 bit.
enum SelectionMenuId : UINT {
    kMenuCopyToClipboard = 0x101,
    kMenuSaveBitmap,
    kMenuSavePng,
    kMenuSaveIcon,
    kMenuSaveCursor,
    kMenuWallpaperMode = 0x110, // + index 1 (Tile), 2 (Center), 3 (Stretch)
    kMenuReselect = 0x120,
    kMenuAbort,
};

class frmMain final : public mSysTray::MainWindow, private SelectionHost {
public:
    // Other programs (the installer) find the running instance by this class.
    inline static constexpr const wchar_t* kClassName = L"SnarvikMainWindow";
    // Sent by a second start to the running instance, which then says that it runs.
    static UINT AlreadyRunningMessage();

    // Creates the window (never shown) and runs its load handling. With endsProcess its
    // unloading ends the thread's message loop.
    static std::unique_ptr<frmMain> Load(HINSTANCE instance, bool endsProcess);
    ~frmMain();
    frmMain(const frmMain&) = delete;
    frmMain& operator=(const frmMain&) = delete;

    HWND hWnd() const noexcept { return m_hwnd; }

    void TrayResize();
    void MakeTray();
    void MenuClick(std::int16_t& Index) override;
    void StartCut(std::int32_t limit);
    void GrabScreen();
    void SetWindowState(WindowState state);
    WindowState GetWindowState() const noexcept { return m_state; }

private:
    frmMain(HINSTANCE instance, bool endsProcess);
    bool CreateWindows();

    // frmMain.cpp
    static LRESULT CALLBACK WndProc(HWND, UINT, WPARAM, LPARAM) noexcept;
    static LRESULT CALLBACK PictureProc(HWND, UINT, WPARAM, LPARAM) noexcept;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void Form_Load();
    void Form_Resize();
    void Form_Unload();
    void Unload();
    void ShowCaptureWindow();
    // While a menu, dialog or message box of ours is open no cut starts: counts them. Its
    // dialogs open on the pointer's monitor.
    class ModalStep {
    public:
        explicit ModalStep(frmMain& form) : m_form(form) { ++m_form.m_modalSteps; }
        ~ModalStep() { --m_form.m_modalSteps; }
        ModalStep(const ModalStep&) = delete;
        ModalStep& operator=(const ModalStep&) = delete;

    private:
        frmMain& m_form;
        DialogsAtPointer m_dialogs;
    };
    int ShowMessage(const std::string& text, const std::string& caption, UINT type, HWND owner);
    // SelectionHost
    HWND Owner() const override { return m_hwnd; }
    void EndCut() override;
    SaveDialogResult AskSaveName(const std::string& defaultName) override;
    void ShowError(const std::string& text) override;

    // tray_side.cpp
    // Hands the tray object's events to the IconEvent_ handlers.
    class IconListener final : public cSysTrayEvents {
    public:
        explicit IconListener(frmMain& form) : m_form(form) {}
        void MouseMove(std::uint32_t&) override {}
        void MouseDown(std::int16_t& Button, std::uint32_t& ID) override {
            m_form.IconEvent_MouseDown(Button, ID);
        }
        void MouseUp(std::int16_t&, std::uint32_t&) override {}
        void MouseDblClick(std::int16_t& Button, std::uint32_t& ID) override {
            m_form.IconEvent_MouseDblClick(Button, ID);
        }
        void MenuClick(std::int16_t& Index) override { m_form.IconEvent_MenuClick(Index); }

    private:
        frmMain& m_form;
    };
    void IconEvent_MouseDown(std::int16_t Button, std::uint32_t ID);
    void IconEvent_MenuClick(std::int16_t Index);
    void IconEvent_MouseDblClick(std::int16_t Button, std::uint32_t ID);
    void ShowTrayMenu();
    void TrayClickTimer();
    static constexpr UINT_PTR kTrayClickTimer = 1;
    void BeginDispatch() noexcept override;
    void EndDispatch() noexcept override;

    // capture_view.cpp
    void Form_MouseDown(int button, int shift, int x, int y);
    void Form_MouseMove(int button, int shift, int x, int y);
    void Form_MouseUp(int button, int shift, int x, int y);
    void Form_KeyDown(WPARAM key);
    bool IsKeyMoveEcho(int x, int y);
    // The readout and magnifier beside the pointer (x, y): shown, moved or hidden, repainting
    // only where they were and where they go.
    void ShowOverlay(int x, int y);
    void HideOverlay();
    void InvalidateOverlay();
    void DrawOverlay(HDC dc, int originX, int originY);
    void RunSelectionMenuItem(UINT id);
    void mnuPopupReselect_Click();
    void mnuPopupAbort_Click();
    void Paint();
    void PaintPicture1();
    // Applies a change of the frame and repaints only what it touched.
    void Shape1Changes(const std::function<void(SelectionFrame&)>& change);

    HINSTANCE m_instance;
    HWND m_hwnd = nullptr;
    bool m_endsProcess;
    bool m_unloaded = false;
    int m_modalSteps = 0;
    bool m_menuOpen = false;

    // Window states
    WindowState m_state = WindowState::Maximized;
    bool mMaximized = false;
    bool mTrayMade = false;
    bool m_applyingState = false; // our own ShowWindow calls: not a change from outside
    bool m_showing = false;       // the capture window is being shown

    // Tray
    IconListener m_iconListener{*this};
    void LoadTrayIcon();
    win::UniqueIcon m_trayIcon;
    int m_trayIconSize = 0;
    PictureRef m_trayIconPicture;
    win::UniqueMenu mTrayMenu;
    std::unique_ptr<cSysTray> IconEvent;
    UINT m_taskbarCreated = 0;
    int m_dispatchDepth = 0;
    bool m_exitPending = false;

    // The cut
    std::int32_t mCutState = 0;
    Desktop m_desktop; // the monitors at the last grab
    Rect m_screen;     // all of them: what the window covers, in screen coordinates
    std::shared_ptr<Surface> m_frozen;
    SelectionFrame Shape1;
    HWND Picture1 = nullptr;
    SelectedPicture m_selection; // what Picture1 shows
    win::UniqueMenu mnuPopup;
    bool m_pressed = false; // a button, or Enter, is down: a selection is being made
    bool m_overlayShown = false;
    Rect m_overlay;    // the readout and magnifier's panel
    POINT m_pointer{}; // what it shows
    // Where keys put the pointer: the mouse moves this makes arrive after later keys.
    std::vector<POINT> m_keyMoves;

    // Outputs
    std::int32_t mNumber = 0;
    SelectionCommands m_commands{*this, mNumber};
};

} // namespace snarvik
