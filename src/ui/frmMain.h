// The program's one window: hidden in the tray between cuts, maximised over the whole screen
// showing the frozen screen during a cut. It owns the controls of the cut, the tray menu and
// the tray object, and runs every command.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/win32.h"
#include "capture/selection.h"
#include "output/file_names.h"
#include "tray/Picture.h"
#include "tray/cSysTray.h"
#include "tray/mSysTray.h"
#include "ui/Surface.h"
#include "ui/window_state.h"

namespace snarvik {

namespace mMain {
// Set by the start routine before the main window loads; the tray handling acts only then.
extern bool TrayMode;
} // namespace mMain

// Identifiers of the selection menu's items; none carries the tray menu's 0x2000 bit.
enum SelectionMenuId : UINT {
    kMenuCopyToClipboard = 0x101,
    kMenuSaveBitmap,
    kMenuSaveIcon,
    kMenuSaveCursor,
    kMenuWallpaperMode = 0x110, // + index 1 (Tile), 2 (Center), 3 (Stretch)
    kMenuReselect = 0x120,
    kMenuAbort,
};

class frmMain final : public mSysTray::MainWindow {
public:
    inline static constexpr const char* kClassName = "SnarvikMainWindow";
    inline static constexpr const char* kPictureClassName = "SnarvikPicture";

    // Creates the window (never shown) and runs its load handling. With endsProcess the
    // window's destruction ends the message loop.
    static std::unique_ptr<frmMain> Load(HINSTANCE instance, bool endsProcess);
    // Creates the window without the load handling (for tests that build the tray themselves).
    static std::unique_ptr<frmMain> Create(HINSTANCE instance);
    ~frmMain();
    frmMain(const frmMain&) = delete;
    frmMain& operator=(const frmMain&) = delete;

    HWND hWnd() const noexcept { return m_hwnd; }
    HWND Picture1() const noexcept { return m_picture1; }
    bool Unloaded() const noexcept { return m_unloaded; }

    // Public methods of the window.
    void TrayResize();
    void MakeTray();
    void MenuClick(std::int16_t& Index) override;
    void StartCut(std::int32_t limit);
    void GrabScreen();
    void SetWindowState(WindowState state);
    WindowState GetWindowState() const noexcept { return m_state; }

    // Handlers, public so that tests can drive them as the window's messages do.
    void Form_Load();
    void Form_MouseDown(int button, int shift, int x, int y);
    void Form_MouseMove(int button, int shift, int x, int y);
    void Form_MouseUp(int button, int shift, int x, int y);
    void mnuPopupCopyToClipboard_Click();
    void mnuPopupSaveBitmap_Click();
    void mnuPopupSaveIcon_Click();
    void mnuPopupSaveCursor_Click();
    void mnuPopupSetAsWallpaperMode_Click(std::int16_t Index);
    void mnuPopupReselect_Click();
    void mnuPopupAbort_Click();
    void IconEvent_MouseDown(std::int16_t Button, std::uint32_t ID);
    void IconEvent_MenuClick(std::int16_t Index);
    void IconEvent_MouseDblClick(std::int16_t Button, std::uint32_t ID);

    // What the tests look at.
    std::int32_t mCutState = 0;
    std::int32_t mNumber = 0;
    bool mMaximized = false;
    bool mTrayMade = false;
    const SelectionFrame& Shape1() const noexcept { return m_shape1; }
    const Surface* FrozenImage() const noexcept { return m_frozen.get(); }
    std::shared_ptr<Surface> Picture1Image() const { return m_picture1Image; }
    HMENU TrayMenu() const noexcept { return mTrayMenu.get(); }
    cSysTray* IconEvent() const noexcept { return m_iconEvent.get(); }
    // Called instead of TrackPopupMenu for the selection menu when set (tests choose an item).
    void SetSelectionMenuChooser(UINT (*chooser)(HMENU menu, int x, int y)) noexcept {
        m_chooser = chooser;
    }

private:
    explicit frmMain(HINSTANCE instance);
    bool CreateWindows();

    // Hands the tray object's events to the IconEvent_ handlers.
    class IconEvents final : public cSysTrayEvents {
    public:
        explicit IconEvents(frmMain& form) : form_(form) {}
        void MouseMove(std::uint32_t&) override {}
        void MouseDown(std::int16_t& Button, std::uint32_t& ID) override {
            form_.IconEvent_MouseDown(Button, ID);
        }
        void MouseUp(std::int16_t&, std::uint32_t&) override {}
        void MouseDblClick(std::int16_t& Button, std::uint32_t& ID) override {
            form_.IconEvent_MouseDblClick(Button, ID);
        }
        void MenuClick(std::int16_t& Index) override { form_.IconEvent_MenuClick(Index); }

    private:
        frmMain& form_;
    };

    // mSysTray::MainWindow
    void BeginDispatch() noexcept override;
    void EndDispatch() noexcept override;

    static LRESULT CALLBACK WndProc(HWND, UINT, WPARAM, LPARAM) noexcept;
    static LRESULT CALLBACK PictureProc(HWND, UINT, WPARAM, LPARAM) noexcept;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void Form_Resize();
    void Form_Unload();
    void Unload();
    void EndCut();
    void ShowCaptureWindow();
    void ShowTrayMenu();
    void DoEvents();
    void Paint();
    void PaintPicture1(HWND window);
    void InvalidateFrame(const Rect& rect);
    // Applies a change of the frame and repaints only what it touched.
    void Shape1Changes(const std::function<void(SelectionFrame&)>& change);
    void ShowError(const std::string& text);
    void AdvanceNumber();
    // The save dialog's name with the kind's extension forced on; none when cancelled or failed
    // (a failure is reported).
    std::optional<std::string> AskFileName(FileKind kind);
    bool SaveTo(const std::string& path, const Image& image, FileKind kind);
    void SaveIconFile(FileKind kind);
    void RunSelectionMenuItem(UINT id);

    HINSTANCE m_instance;
    HWND m_hwnd = nullptr;
    HWND m_picture1 = nullptr;
    WindowState m_state = WindowState::Maximized;
    bool m_applyingState = false; // our own ShowWindow calls: not a change from outside
    bool m_showing = false;       // the capture window is being shown
    bool m_endsProcess = false;
    bool m_unloaded = false;
    bool m_exitPending = false;
    int m_dispatchDepth = 0;
    UINT m_taskbarCreated = 0;
    UINT (*m_chooser)(HMENU, int, int) = nullptr;

    IconEvents m_iconEvents{*this};
    win::UniqueIcon m_icon;
    PictureRef m_iconPicture;
    win::UniqueMenu mTrayMenu;
    win::UniqueMenu m_mnuPopup;
    std::unique_ptr<cSysTray> m_iconEvent;

    SelectionFrame m_shape1;
    std::unique_ptr<Surface> m_frozen;
    // Shared so that a handler still using the previous selection keeps it alive while a nested
    // cut (through a modal loop) makes a new one.
    std::shared_ptr<Surface> m_picture1Image;
    std::shared_ptr<win::UniqueImageList> m_imageList1;
};

} // namespace snarvik
