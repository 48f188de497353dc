#include <windows.h>

#include "ui/dialog_placement.h"

#include "capture/monitors.h"

#include <algorithm>
#include <string_view>
#include <vector>

namespace snarvik {

namespace {

thread_local int gDepth = 0;
thread_local std::vector<HWND> gPlaced; // moved once each: the user may move them on

void Place(HWND window) {
    wchar_t name[8] = {};
    GetClassNameW(window, name, 8);
    if (std::wstring_view(name) != L"#32770" ||
        std::find(gPlaced.begin(), gPlaced.end(), window) != gPlaced.end()) {
        return;
    }
    gPlaced.push_back(window);
    POINT pointer{};
    RECT now{};
    const Desktop desktop = CurrentDesktop();
    const Monitor* monitor =
        GetCursorPos(&pointer) != FALSE ? MonitorAt(desktop, {pointer.x, pointer.y}) : nullptr;
    if (monitor == nullptr || GetWindowRect(window, &now) == FALSE) {
        return;
    }
    const Rect to = CentredIn(now.right - now.left, now.bottom - now.top, monitor->work);
    SetWindowPos(window, nullptr, to.left, to.top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT CALLBACK OnActivate(int code, WPARAM wParam, LPARAM lParam) noexcept {
    if (code == HCBT_ACTIVATE) {
        try {
            Place(reinterpret_cast<HWND>(wParam));
        } catch (...) {
            // Left where the system put it.
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

} // namespace

DialogsAtPointer::DialogsAtPointer() {
    if (gDepth++ == 0) {
        m_hook.reset(SetWindowsHookExW(WH_CBT, &OnActivate, nullptr, GetCurrentThreadId()));
    }
}

DialogsAtPointer::~DialogsAtPointer() {
    if (--gDepth == 0) {
        m_hook.reset();
        gPlaced.clear();
    }
}

} // namespace snarvik
