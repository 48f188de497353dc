// The arrow keys move our pointer at once and the system's after it. The mouse moves that this
// makes may arrive after later keys have moved on, at the new place or (Wine) at the old one,
// and must not take the pointer back. Any other move is the user's.
#pragma once
#include <cstddef>
#include <vector>

#include "capture/geometry.h"

namespace snarvik {

class KeyMoveEcho {
public:
    // A key moved the pointer from one place to another.
    void Moved(Point from, Point to);
    // Whether a mouse move to this place is the system catching up with a key; the user's own
    // move forgets every key move before it.
    bool IsEcho(Point at);
    void Clear() noexcept { m_places.clear(); }

private:
    static constexpr std::size_t kKept = 64; // places: the last 32 key moves
    std::vector<Point> m_places;
};

} // namespace snarvik
