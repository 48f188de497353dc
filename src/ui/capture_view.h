// The cut on screen, a part of frmMain: the frozen image, the selection frame Shape1 over it,
// Picture1 with the released selection, the readout and magnifier beside the pointer, the keys
// and the mouse, and the selection menu.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "base/win32.h"
#include "capture/desktop.h"
#include "capture/key_moves.h"
#include "capture/overlay.h"
#include "capture/screen_grab.h"
#include "capture/selected_picture.h"
#include "capture/selection.h"
#include "capture/surface.h"
#include "capture/window_mode.h"
#include "output/selection_commands.h"
#include "ui/modal_steps.h"

namespace snarvik {

// What the view needs of the window it is drawn in.
class CaptureHost {
public:
    // The capture window is up: maximised over the screen.
    virtual bool CaptureUp() const = 0;
    // Shows the capture window over the whole desktop as it is now.
    virtual void ShowCaptureWindow() = 0;
    virtual void EndCut() = 0;
    // Exit is chosen: nothing more may start.
    virtual bool Closing() const = 0;
    virtual void ShowError(const Failure& failure) = 0;
    // Tells the user what a handler threw.
    virtual void ReportFailure(const std::exception_ptr& error) noexcept = 0;

protected:
    ~CaptureHost() = default;
};

// Posted to the window once a grab is painted: the view takes what is on the screen.
inline constexpr UINT kTakeSnapshot = WM_APP + 1;

class CaptureView {
public:
    CaptureView(CaptureHost& host, ModalSteps& steps, SelectionCommands& commands,
                ScreenGrabber grab)
        : m_host(host), m_steps(steps), m_commands(commands), m_grab(std::move(grab)) {}
    CaptureView(const CaptureView&) = delete;
    CaptureView& operator=(const CaptureView&) = delete;

    // Reads where the monitors are: what the window is to cover.
    void ReadDesktop();
    const Rect& Screen() const noexcept { return m_screen; }
    // Creates Picture1 in the window and the selection menu.
    void Create(HWND window, HINSTANCE instance);

    void StartCut(std::int32_t limit);
    // False when the screen could not be copied: that is told, and no cut is up.
    bool GrabScreen();
    // What is on the screen, for window mode, if the last grab has not had it yet.
    void TakeSnapshot();
    // MenuClick's closing step: the frame takes the limit's size.
    void SizeShape1();
    // The readout and magnifier beside the pointer where it is now.
    void ShowOverlayAtPointer();

    // The window's mouse messages and keys; the mouse moves that keys made are dropped.
    void Mouse(UINT message, WPARAM wParam, LPARAM lParam);
    void Form_KeyDown(WPARAM key);
    // The wheel's turn, in the system's units (WHEEL_DELTA a notch, away from the user
    // positive): window mode's walk, or a limited square's size.
    void Wheel(int delta);
    void Paint();

    // The selection menu's items.
    void mnuPopupCopyToClipboard_Click();
    void mnuPopupSaveBitmap_Click();
    void mnuPopupSavePng_Click();
    void mnuPopupSaveIcon_Click();
    void mnuPopupSaveCursor_Click();
    void mnuPopupSetAsWallpaperMode_Click(std::int16_t Index);
    void mnuPopupReselect_Click();
    void mnuPopupAbort_Click();

private:
    static LRESULT CALLBACK PictureProc(HWND, UINT, WPARAM, LPARAM) noexcept;

    void Form_MouseDown(int button, int shift, int x, int y);
    void Form_MouseMove(int button, int shift, int x, int y);
    void Form_MouseUp(int button, int shift, int x, int y);
    // selection_menu.cpp
    void BuildSelectionMenu();
    void RunSelectionMenu(int x, int y);
    void StepSquare(int steps);
    Point OnScreen(int x, int y) const { return {x + m_screen.left, y + m_screen.top}; }
    Rect InWindow(const Rect& r) const {
        return {r.left - m_screen.left, r.top - m_screen.top, r.width, r.height};
    }

    // capture_paint.cpp
    // Applies a change of the frame and repaints only what it touched.
    void Shape1Changes(const std::function<void(SelectionFrame&)>& change);
    void InvalidateShape1();
    // Applies a change of window mode and repaints the old and the new outline only.
    void OutlineChanges(const std::function<void(WindowMode&)>& change);
    // The readout and magnifier beside the pointer (x, y): shown, moved or hidden, repainting
    // only where they were and where they go.
    void ShowOverlay(int x, int y);
    void HideOverlay();
    void InvalidateOverlay();
    void DrawOverlay(HDC dc, int originX, int originY) const;
    // Paints now, over the frozen image, what a grab must not see: the frame, the overlay and a
    // Picture1 that shows an older grab.
    void PaintFrozenOnly();
    void PaintPicture1();

    CaptureHost& m_host;
    ModalSteps& m_steps;
    SelectionCommands& m_commands;
    ScreenGrabber m_grab;
    HWND m_window = nullptr;

    std::int32_t mCutState = 0;
    Desktop m_desktop; // the monitors at the last grab
    Rect m_screen;     // all of them: what the window covers, in screen coordinates
    std::shared_ptr<Surface> m_frozen;
    SelectionFrame Shape1;
    HWND Picture1 = nullptr;     // a child of the window, destroyed with it
    SelectedPicture m_selection; // what Picture1 shows
    Rect m_picturePlace;         // where, in the window
    win::UniqueMenu mnuPopup;
    bool m_pressed = false;  // a button, or Enter, is down: a selection is being made
    bool m_grabbing = false; // only the frozen image is painted: a grab is about to see it
    bool m_overlayShown = false;
    Rect m_overlay; // the readout and magnifier's panel
    OverlayLayout m_overlayLayout;
    HMONITOR m_overlayMonitor = nullptr; // where its scaling and font were read
    int m_overlayDpi = 96;
    win::UniqueGdiObject m_overlayFont;
    POINT m_pointer{}; // what it shows
    KeyMoveEcho m_keyMoves;
    WindowMode m_windowMode;
    bool m_snapshotDue = false;
    std::optional<Rect> m_outline; // what window mode outlines, in the window
    int m_wheel = 0;               // the turn short of a notch
};

} // namespace snarvik
