// The selection on the frozen screen: the frame Shape1 that the mouse and keys drive, and
// Picture1, the child window that shows the released selection exactly as it was taken.
#pragma once
#include <windows.h>

#include <exception>
#include <functional>

#include "base/image.h"
#include "capture/selected_picture.h"
#include "capture/selection.h"
#include "ui/frozen_screen.h"
#include "ui/window_base.h"

namespace snarvik {

// What Picture1 needs of the view it lies in.
class PictureHost {
public:
    // Draws what lies over the picture (the outline, the readout) at dc, whose (0, 0) is at
    // origin in the capture window.
    virtual void PaintOverPicture(HDC dc, POINT origin) = 0;
    // Whether the picture's mouse goes to the capture window: in window mode it is part of the
    // screen walked over.
    virtual bool PicturePassesMouse() const = 0;
    virtual void ReportFailure(const std::exception_ptr& error) noexcept = 0;

protected:
    ~PictureHost() = default;
};

class SelectionView final : private WindowBase {
public:
    SelectionView(PictureHost& host, const FrozenScreen& frozen) : m_host(host), m_frozen(frozen) {}

    // Creates Picture1 in the capture window.
    void Create(HWND window, HINSTANCE instance);
    HWND Picture1() const noexcept { return hWnd(); }

    const SelectionFrame& Shape1() const noexcept { return m_frame; }
    // Applies a change of the frame and repaints only its old and new outline.
    void Shape1Changes(const std::function<void(SelectionFrame&)>& change);
    // Repaints the frame where it is.
    void InvalidateShape1();
    void PaintShape1(HDC dc) const;

    // Picture1 shows the frame's rectangle of the frozen screen, painted at once.
    void ShowPicture();
    // Picture1 shows view, a picture of its own size, from now on (a marked selection).
    void ShowSurface(std::shared_ptr<const Surface> view);
    // Repaints area of Picture1 (its own coordinates) now.
    void RepaintPart(const Rect& area);
    // Where Picture1 is, in the capture window.
    const Rect& place() const noexcept { return m_place; }
    // A new cut, or Reselect: no picture.
    void ClearPicture();
    // Keeps what Picture1 shows whatever the next grab does to the frozen screen.
    void Detach() { m_selection.Detach(); }
    // While true, Picture1 paints what the frozen screen shows at its place: a grab is about
    // to look, and must see the screen, not an older picture.
    void SetGrabbing(bool grabbing) noexcept { m_grabbing = grabbing; }
    bool grabbing() const noexcept { return m_grabbing; }
    // The selection's own pixels; empty when there is none.
    Image Pixels() const { return m_selection.Pixels(); }
    // Repaints the part of Picture1 under region (in the capture window's coordinates).
    void InvalidateUnder(HRGN region);

private:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void ReportFailure(const std::exception_ptr& error) noexcept override {
        m_host.ReportFailure(error);
    }
    void PaintPicture1();
    POINT Origin() const;

    PictureHost& m_host;
    const FrozenScreen& m_frozen;
    HWND m_window = nullptr;     // the capture window
    SelectionFrame m_frame;      // Shape1
    SelectedPicture m_selection; // what Picture1 shows
    Rect m_place;                // where, in the capture window
    bool m_grabbing = false;
};

} // namespace snarvik
