// A picture pinned to the screen: a borderless topmost window showing it pixel for pixel where
// it was cut, in a one-pixel frame. A drag moves it, the wheel zooms it around the pointer,
// Ctrl+wheel changes its opacity; Escape or a double click closes it.
#pragma once
#include <windows.h>

#include <exception>

#include "base/image.h"
#include "capture/geometry.h"
#include "capture/pin_geometry.h"
#include "capture/surface.h"
#include "ui/window_base.h"

namespace snarvik {

class PinWindow;

// What a pin needs of whoever keeps it.
class PinHost {
public:
    virtual void CopyPicture(const Image& picture) = 0;
    virtual void SavePicturePng(const Image& picture) = 0;
    // Shows the pin's menu (mnu, owned by window) at `at` and waits for the choice; 0 when it
    // was dismissed.
    virtual UINT RunMenu(HMENU menu, HWND window, POINT at) = 0;
    virtual void ReportFailure(const std::exception_ptr& error) noexcept = 0;
    // The pin's window is gone and none of its handlers runs: the pin may be destroyed now.
    // It is the pin's last act.
    virtual void PinClosed(PinWindow& pin) noexcept = 0;

protected:
    ~PinHost() = default;
};

class PinWindow final : private WindowBase {
public:
    // The right-click menu's items.
    enum class Command : UINT { Copy = 1, SavePng, ActualSize, Close };

    // Throws std::bad_alloc when there is no memory for its copy of the picture.
    PinWindow(PinHost& host, Image picture);
    // Destroys the window if it is still up; nothing of it reaches the pin any more.
    ~PinWindow();

    // Shows the picture at `at` on the screen, one screen pixel each, in front and active.
    // False when the system refuses the window.
    bool Create(HINSTANCE instance, const Rect& at);
    using WindowBase::hWnd;
    // Destroys the window; the host hears of it once the pin's handlers have returned.
    void Close();
    bool closed() const noexcept { return hWnd() == nullptr; }
    // A handler of the pin runs (a menu or dialog of its own may be open).
    bool busy() const noexcept { return m_depth > 0; }

    // Carries out a menu item; `at` is where the menu was opened, on the screen.
    void Run(Command command, POINT at);
    int zoom() const noexcept { return m_zoom; }
    int opacity() const noexcept { return m_opacity; }

private:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void ReportFailure(const std::exception_ptr& error) noexcept override {
        m_host.ReportFailure(error);
    }
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
    // Where the picture is shown now, on the screen: inside the frame.
    Rect Shown() const;
    void ZoomTo(int percent, Point around);
    void SetOpacity(int percent);
    void Wheel(WPARAM wParam, LPARAM lParam);
    void ShowMenu(POINT at);
    void Paint();

    PinHost& m_host;
    const Image m_picture;
    Surface m_pixels; // the picture, to blit from
    int m_zoom = kActualSize;
    int m_opacity = kFullyOpaque;
    WheelNotches m_wheel;
    bool m_dragging = false;
    POINT m_dragFrom{};   // the pointer at the press, on the screen
    POINT m_windowFrom{}; // the window's top-left then
    int m_depth = 0;      // handlers of the pin running, nested
};

} // namespace snarvik
