#include "capture/desktop.h"

#include <algorithm>
#include <climits>

namespace snarvik {

namespace {

// The point of r nearest to p.
Point Nearest(const Rect& r, Point p) {
    return {std::clamp(p.x, r.left, std::max(r.right() - 1, r.left)),
            std::clamp(p.y, r.top, std::max(r.bottom() - 1, r.top))};
}

long long SquaredDistance(Point a, Point b) {
    const long long dx = a.x - b.x;
    const long long dy = a.y - b.y;
    return dx * dx + dy * dy;
}

} // namespace

Rect VirtualScreen(const Desktop& desktop) {
    if (desktop.empty()) {
        return {};
    }
    int left = INT_MAX, top = INT_MAX, right = INT_MIN, bottom = INT_MIN;
    for (const Monitor& monitor : desktop) {
        left = std::min(left, monitor.bounds.left);
        top = std::min(top, monitor.bounds.top);
        right = std::max(right, monitor.bounds.right());
        bottom = std::max(bottom, monitor.bounds.bottom());
    }
    return {left, top, right - left, bottom - top};
}

const Monitor* MonitorAt(const Desktop& desktop, Point point) {
    const Monitor* nearest = nullptr;
    long long best = LLONG_MAX;
    for (const Monitor& monitor : desktop) {
        const long long distance = SquaredDistance(Nearest(monitor.bounds, point), point);
        if (distance < best) { // of overlapping (mirrored) monitors, the first
            best = distance;
            nearest = &monitor;
        }
    }
    return nearest;
}

Point OnDesktop(const Desktop& desktop, Point point) {
    const Monitor* monitor = MonitorAt(desktop, point);
    return monitor != nullptr ? Nearest(monitor->bounds, point) : point;
}

std::vector<Rect> Uncovered(const Desktop& desktop) {
    const Rect all = VirtualScreen(desktop);
    // Bands between the monitors' horizontal edges; in each, the stretches no monitor covers.
    std::vector<int> edges;
    for (const Monitor& monitor : desktop) {
        edges.push_back(monitor.bounds.top);
        edges.push_back(monitor.bounds.bottom());
    }
    std::sort(edges.begin(), edges.end());
    edges.erase(std::unique(edges.begin(), edges.end()), edges.end());

    std::vector<Rect> gaps;
    for (std::size_t band = 0; band + 1 < edges.size(); ++band) {
        const int top = edges[band];
        const int height = edges[band + 1] - top;
        std::vector<std::pair<int, int>> covered;
        for (const Monitor& monitor : desktop) {
            if (monitor.bounds.top <= top && monitor.bounds.bottom() >= top + height) {
                covered.emplace_back(monitor.bounds.left, monitor.bounds.right());
            }
        }
        std::sort(covered.begin(), covered.end());
        int x = all.left;
        covered.emplace_back(all.right(), all.right());
        for (const auto& [from, to] : covered) {
            if (from > x) {
                // One rectangle for a gap that goes on from the band above.
                const auto above = std::find_if(gaps.begin(), gaps.end(), [&](const Rect& r) {
                    return r.left == x && r.width == from - x && r.bottom() == top;
                });
                if (above != gaps.end()) {
                    above->height += height;
                } else {
                    gaps.push_back({x, top, from - x, height});
                }
            }
            x = std::max(x, to);
        }
    }
    return gaps;
}

Rect CentredIn(int width, int height, const Rect& area) {
    const auto place = [](int size, int start, int room) {
        return size >= room ? start : start + (room - size) / 2;
    };
    return {place(width, area.left, area.width), place(height, area.top, area.height), width,
            height};
}

} // namespace snarvik
