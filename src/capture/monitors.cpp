#include <windows.h>

#include "capture/monitors.h"

namespace snarvik {

namespace {

Rect RectOf(const RECT& r) {
    return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

// Collects into a list reserved beforehand, so that nothing here can throw through the system.
struct Found {
    Desktop monitors;
    std::size_t room = 0;
};

BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM found) noexcept {
    auto* list = reinterpret_cast<Found*>(found);
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (list->monitors.size() < list->room && GetMonitorInfoW(monitor, &info) != FALSE) {
        list->monitors.push_back({RectOf(info.rcMonitor), RectOf(info.rcWork)});
    }
    return TRUE;
}

} // namespace

Desktop CurrentDesktop() {
    Found found;
    found.room = static_cast<std::size_t>(std::max(GetSystemMetrics(SM_CMONITORS), 1)) + 8;
    found.monitors.reserve(found.room);
    EnumDisplayMonitors(nullptr, nullptr, &AddMonitor, reinterpret_cast<LPARAM>(&found));
    if (found.monitors.empty()) {
        const Rect screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
        found.monitors.push_back({screen, screen});
    }
    return std::move(found.monitors);
}

} // namespace snarvik
