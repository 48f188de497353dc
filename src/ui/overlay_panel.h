// The readout and magnifier beside the pointer during a cut: a panel over the frozen screen,
// as large as the scaling of the monitor it is on makes text.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "base/win32.h"
#include "capture/overlay.h"
#include "ui/frozen_screen.h"

namespace snarvik {

class OverlayPanel {
public:
    // Gets each region the panel repaints, for a child window that lies over it.
    using Under = std::function<void(HRGN)>;

    explicit OverlayPanel(const FrozenScreen& frozen) : m_frozen(frozen) {}

    // Beside the pointer at `at` in the window, with `lines` lines of readout: shown or moved,
    // repainting only where it was and where it goes.
    void Show(HWND window, Point at, int lines, const Under& under);
    void Hide(HWND window, const Under& under);
    bool shown() const noexcept { return m_shown; }
    // Where the pointer was when last shown, in the window.
    Point pointer() const noexcept { return m_pointer; }

    // Draws it onto dc, whose (0, 0) is at origin in the window: the loupe, the colour of the
    // pixel under the pointer, then the readout's lines.
    void Paint(HDC dc, POINT origin, const std::vector<std::string>& readout) const;

private:
    void Invalidate(HWND window, const Under& under) const;

    const FrozenScreen& m_frozen;
    bool m_shown = false;
    Rect m_panel; // in the window
    OverlayLayout m_layout;
    HMONITOR m_monitor = nullptr; // where its scaling and font were read
    int m_dpi = 96;
    win::UniqueGdiObject m_font;
    Point m_pointer;
};

} // namespace snarvik
