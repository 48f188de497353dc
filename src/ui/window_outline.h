// Window mode's outline on the frozen screen: what the windows on the screen were at the grab,
// and the rectangle under the pointer drawn two pixels inside its edges.
#pragma once
#include <windows.h>

#include <functional>
#include <optional>

#include "capture/window_mode.h"
#include "ui/frozen_screen.h"

namespace snarvik {

class WindowOutline {
public:
    explicit WindowOutline(const FrozenScreen& frozen) : m_frozen(frozen) {}

    const WindowMode& mode() const noexcept { return m_mode; }
    // After a grab: off, and the windows on the screen still to be taken.
    void Reset(HWND window);
    // Takes the windows on the screen if the last grab has not had them yet.
    void TakeSnapshot();
    bool snapshotDue() const noexcept { return m_snapshotDue; }

    // Applies a change and repaints the old and the new outline only; `under` also gets the
    // region, for a child window that lies over it.
    void Changes(HWND window, const std::function<void(WindowMode&)>& change,
                 const std::function<void(HRGN)>& under);
    // Draws it onto dc, whose (0, 0) is at origin in the window.
    void Paint(HDC dc, POINT origin = {0, 0}) const;
    void AddTo(HRGN region) const;

private:
    const FrozenScreen& m_frozen;
    WindowMode m_mode;
    bool m_snapshotDue = false;
    std::optional<Rect> m_outline; // what is drawn, in the window
};

} // namespace snarvik
