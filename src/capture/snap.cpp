#include "capture/snap.h"

#include <cstdlib>

namespace snarvik {

namespace {

bool Seen(const WindowFacts& window) {
    return window.visible && !window.minimized && !window.cloaked && !window.clickThrough &&
           !window.transparent && !window.ours && !window.desktop;
}

bool Targetable(const Rect& r) {
    return r.width >= kSmallestTarget && r.height >= kSmallestTarget;
}

void AddInner(const std::vector<WindowFacts>& children, const Rect& within,
              std::vector<SnapTarget>& into) {
    for (const WindowFacts& child : children) {
        const Rect rect = Intersect(child.rect, within);
        // Styles that let the pointer through a top-level window say nothing of a control: a
        // transparent one only paints after its siblings (a group box often is).
        if (child.visible && Targetable(rect)) {
            SnapTarget target{rect, {}};
            AddInner(child.children, rect, target.inner);
            into.push_back(std::move(target));
        }
    }
}

const SnapTarget* Under(const std::vector<SnapTarget>& targets, Point at) {
    for (const SnapTarget& target : targets) {
        if (target.rect.contains(at)) {
            return &target;
        }
    }
    return nullptr;
}

} // namespace

Snapshot MakeSnapshot(const Desktop& monitors, const std::vector<WindowFacts>& windows) {
    Snapshot snapshot{monitors, {}};
    const Rect screen = VirtualScreen(monitors);
    for (const WindowFacts& window : windows) {
        const Rect rect = Intersect(window.frame.value_or(window.rect), screen);
        if (Seen(window) && Targetable(rect)) {
            SnapTarget target{rect, {}};
            AddInner(window.children, rect, target.inner);
            snapshot.windows.push_back(std::move(target));
        }
    }
    return snapshot;
}

std::vector<Rect> SnapChain(const Snapshot& snapshot, Point at) {
    std::vector<Rect> outward;
    for (const SnapTarget* target = Under(snapshot.windows, at); target != nullptr;
         target = Under(target->inner, at)) {
        outward.push_back(target->rect);
    }
    std::vector<Rect> chain(outward.rbegin(), outward.rend());
    if (const Monitor* monitor = MonitorAt(snapshot.monitors, at)) {
        chain.push_back(monitor->bounds);
    }
    return chain;
}

bool IsClick(Point press, Point release, int thresholdX, int thresholdY) {
    return std::abs(release.x - press.x) <= thresholdX &&
           std::abs(release.y - press.y) <= thresholdY;
}

} // namespace snarvik
