// Window mode: what a click on the frozen screen snaps to. At every grab the system's windows,
// their controls and the monitors are taken as plain facts; here they become the rectangles a
// user can see and click, and a point finds the ones under it, deepest first.
#pragma once
#include <optional>
#include <vector>

#include "capture/desktop.h"
#include "capture/geometry.h"

namespace snarvik {

// What the system says of one window at the grab, in screen coordinates (physical pixels). A
// control counts by its rectangle and visibility alone; the rest judges top-level windows.
struct WindowFacts {
    Rect rect;                 // the window's rectangle, invisible resize borders included
    std::optional<Rect> frame; // the visible frame, where the system gives it
    bool visible = true;
    bool minimized = false;
    bool cloaked = false;      // hidden by the system (another virtual desktop, a suspended app)
    bool clickThrough = false; // the pointer goes through it
    bool transparent = false;  // layered and fully transparent
    bool ours = false;
    bool desktop = false; // the shell's desktop (wallpaper, icons): it spans every monitor
    std::vector<WindowFacts> children; // its child windows, top of the z-order first
};

// A rectangle to snap to, and the ones inside it: a window's controls, a control's own.
struct SnapTarget {
    Rect rect;
    std::vector<SnapTarget> inner; // top of the z-order first
};

struct Snapshot {
    Desktop monitors;
    std::vector<SnapTarget> windows; // top of the z-order first
};

// Rectangles smaller than this on a side are no target.
inline constexpr int kSmallestTarget = 5;

// The windows a user can see and click (visible, not minimised, cloaked, click-through or fully
// transparent, not ours), each by its visible frame, with its visible controls, whatever their
// styles; all clipped to the virtual screen, controls to their parents. The shell's desktop is
// no target: the monitor under the pointer stands for it.
Snapshot MakeSnapshot(const Desktop& monitors, const std::vector<WindowFacts>& windows);

// The rectangles under a point, deepest first: controls inside controls, their window, then
// the monitor (the nearest one, for a point between monitors). Empty only without monitors.
std::vector<Rect> SnapChain(const Snapshot& snapshot, Point at);

// A press and a release no farther apart than the system's drag threshold on either axis make
// a click; farther is a drag.
bool IsClick(Point press, Point release, int thresholdX, int thresholdY);

} // namespace snarvik
