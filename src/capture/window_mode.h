// Window mode during an any-size cut: the rectangle under the pointer is outlined, the wheel
// walks out to its parents and back in, and a click takes it; a drag still makes a free
// rectangle. Screen coordinates throughout.
#pragma once
#include <cstddef>
#include <optional>
#include <vector>

#include "capture/snap.h"

namespace snarvik {

class WindowMode {
public:
    // What the screen showed at the grab; window mode goes off, as at every new cut.
    void Reset(Snapshot snapshot);
    void Toggle(Point at);
    bool on() const noexcept { return m_on; }

    // The pointer is at `at` (no button held): the deepest rectangle there is outlined, or the
    // one walked out to while the pointer stays on it.
    void PointAt(Point at);
    // Out towards the monitor (positive steps) or back in, within the rectangles under the
    // pointer.
    void Walk(int steps);
    // What is outlined: nothing while off or while a drag goes on.
    std::optional<Rect> Outlined() const;

    // The outline goes until the pointer next moves: the selection is shown now.
    void Hide() noexcept { m_chain.clear(); }

    // A button went down; moves past the threshold from there make it a drag, for good.
    void Press(Point at);
    Point pressedAt() const noexcept { return m_pressedAt; }
    // True once the button held has moved farther than the threshold: the drag starts here.
    bool DragsAt(Point at, int thresholdX, int thresholdY);
    bool dragging() const noexcept { return m_dragging; }
    void Release() noexcept { m_dragging = false; }

private:
    bool m_on = false;
    Snapshot m_snapshot;
    std::vector<Rect> m_chain; // under the pointer, deepest first
    std::size_t m_level = 0;   // how many steps out of the deepest
    bool m_walked = false;     // the wheel went out to m_walkedTo
    Rect m_walkedTo;
    Point m_pressedAt;
    bool m_dragging = false;
};

} // namespace snarvik
