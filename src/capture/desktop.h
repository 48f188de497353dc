// The desktop a cut covers: every monitor, placed in screen coordinates (the primary monitor's
// top left is 0, 0; others may lie left of or above it), each in physical pixels.
#pragma once
#include <vector>

#include "capture/geometry.h"

namespace snarvik {

// Under per-monitor awareness every coordinate is a physical pixel, whatever a monitor's scaling.
struct Monitor {
    Rect bounds;
    Rect work; // without the taskbar
};

using Desktop = std::vector<Monitor>;

// The smallest rectangle around every monitor: what the frozen window spans.
Rect VirtualScreen(const Desktop& desktop);

// The monitor a point is on, or the nearest one when it is on none (a gap between monitors);
// nullptr only for an empty desktop.
const Monitor* MonitorAt(const Desktop& desktop, Point point);

// The nearest point that lies on a monitor: where a pointer moved by keys may go.
Point OnDesktop(const Desktop& desktop, Point point);

// The parts of the virtual screen that no monitor shows, as disjoint rectangles; a grab shows
// them black.
std::vector<Rect> Uncovered(const Desktop& desktop);

// Where a window of this size goes on area: centred, and moved inside where it fits.
Rect CentredIn(int width, int height, const Rect& area);

} // namespace snarvik
