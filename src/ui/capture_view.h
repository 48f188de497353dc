// The cut on screen, a part of frmMain, made of parts of its own:
//   FrozenScreen    the monitors and their pixels at the grab (frozen_screen.*)
//   SelectionView   the frame Shape1 and Picture1, the released selection (selection_view.*)
//   WindowOutline   window mode's outline and the windows it snaps to (window_outline.*)
//   OverlayPanel    the readout and magnifier beside the pointer (overlay_panel.*)
//   SelectionMenu   the menu of what to make of the selection (selection_menu.*)
//   CutInput        what keys, buttons, moves and the wheel do in each state (capture/cut_input.*)
//   MarkupLayer     marking the selection up, which takes the input meanwhile (markup_layer.*)
// The view turns the window's messages into input, carries out its steps (capture_input.cpp),
// and runs the selection menu's items.
#pragma once
#include <windows.h>

#include <cstdint>
#include <exception>
#include <string>
#include <vector>

#include "capture/cut_input.h"
#include "capture/key_moves.h"
#include "output/selection_commands.h"
#include "ui/frozen_screen.h"
#include "ui/markup_layer.h"
#include "ui/modal_steps.h"
#include "ui/overlay_panel.h"
#include "ui/selection_menu.h"
#include "ui/selection_view.h"
#include "ui/window_outline.h"

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
    // Ends the cut and pins picture to the screen at `onScreen`.
    virtual void PinPicture(Image picture, const Rect& onScreen) = 0;
    // Tells the user what a handler threw.
    virtual void ReportFailure(const std::exception_ptr& error) noexcept = 0;

protected:
    ~CaptureHost() = default;
};

// Posted to the window once a grab is painted: the view takes what is on the screen.
inline constexpr UINT kTakeSnapshot = WM_APP + 1;

class CaptureView final : private PictureHost, private MarkupHost {
public:
    CaptureView(CaptureHost& host, ModalSteps& steps, SelectionCommands& commands,
                ScreenGrabber grab)
        : m_host(host), m_steps(steps), m_commands(commands), m_frozen(std::move(grab)) {}
    CaptureView(const CaptureView&) = delete;
    CaptureView& operator=(const CaptureView&) = delete;

    // Reads where the monitors are: what the window is to cover.
    void ReadDesktop() { m_frozen.ReadDesktop(); }
    const Rect& Screen() const noexcept { return m_frozen.screen(); }
    // Creates Picture1 in the window.
    void Create(HWND window, HINSTANCE instance);

    void StartCut(std::int32_t limit);
    // capture_last_region.cpp: a cut of any size that takes the last selection again at once,
    // when it still lies wholly on the monitors, and shows its menu as after a release.
    void CutLastRegion();
    // False when the screen could not be copied: that is told, and no cut is up.
    bool GrabScreen();
    // What is on the screen, for window mode, if the last grab has not had it yet.
    void TakeSnapshot() { m_outline.TakeSnapshot(); }
    // MenuClick's closing step: the frame takes the limit's size.
    void SizeShape1();
    // The readout and magnifier beside the pointer where it is now.
    void ShowOverlayAtPointer();

    // capture_input.cpp: the window's mouse messages, keys and wheel; the mouse moves that
    // keys made are dropped.
    void Mouse(UINT message, WPARAM wParam, LPARAM lParam);
    void Form_KeyDown(WPARAM key);
    void Wheel(int delta);
    // A character typed: marking's text takes it.
    void Character(WPARAM c);
    // Marking has ended: the selection menu again.
    void MarkingEnded();
    void Paint();

    // The selection menu's items.
    void mnuPopupCopyToClipboard_Click();
    void mnuPopupSaveBitmap_Click();
    void mnuPopupSavePng_Click();
    void mnuPopupQuickSave_Click();
    void mnuPopupSaveIcon_Click();
    void mnuPopupSaveCursor_Click();
    void mnuPopupSetAsWallpaperMode_Click(std::int16_t Index);
    void mnuPopupPin_Click();
    void mnuPopupMarkUp_Click();
    void mnuPopupReselect_Click();
    void mnuPopupAbort_Click();

private:
    // PictureHost
    void PaintOverPicture(HDC dc, POINT origin) override;
    bool PicturePassesMouse() const override { return m_outline.mode().on() || m_markup.Active(); }
    void ReportFailure(const std::exception_ptr& error) noexcept override {
        m_host.ReportFailure(error);
    }
    // MarkupHost
    void ShowOnPicture(std::shared_ptr<const Surface> view) override {
        m_selection.ShowSurface(std::move(view));
    }
    void RepaintPicture(const Rect& area) override { m_selection.RepaintPart(area); }

    // capture_input.cpp
    CutState State() const;
    void Apply(const CutSteps& steps);
    void Form_MouseDown(int button, int shift, int x, int y);
    void Form_MouseMove(int button, int shift, int x, int y);
    void Form_MouseUp(int button, int shift, int x, int y);
    void StepSquare(int steps);

    void RunSelectionMenu(int x, int y);
    // capture_last_region.cpp: the released selection is the last region from now on.
    void RememberRegion();
    // The readout and magnifier at (x, y), or gone; what they show.
    void ShowOverlay(int x, int y);
    void HideOverlay();
    std::vector<std::string> Readout() const;
    // Window mode's change, repainting the old and the new outline only.
    void OutlineChanges(const std::function<void(WindowMode&)>& change);
    // Paints now, over the frozen image, what a grab must not see: the frame, the overlay and a
    // Picture1 that shows an older grab.
    void PaintFrozenOnly();
    SelectionPixels Selected() {
        return [this] {
            return m_selection.Pixels();
        };
    }

    CaptureHost& m_host;
    ModalSteps& m_steps;
    SelectionCommands& m_commands;
    HWND m_window = nullptr;
    std::int32_t mCutState = 0;
    bool m_pressed = false; // a button, or Enter, is down: a selection is being made
    FrozenScreen m_frozen;
    SelectionView m_selection{*this, m_frozen};
    WindowOutline m_outline{m_frozen};
    OverlayPanel m_overlay{m_frozen};
    SelectionMenu mnuPopup;
    CutInput m_input{m_frozen.desktop()};
    KeyMoveEcho m_keyMoves;
    MarkupLayer m_markup{*this};
};

} // namespace snarvik
