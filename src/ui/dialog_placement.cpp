#include <windows.h>

#include "ui/dialog_placement.h"

#include "capture/desktop.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace snarvik {

namespace {

thread_local int gDepth = 0;
// Moved once each: the user may move them on. A few at a time at most (a dialog, its overwrite
// question, a message); the oldest is forgotten first.
thread_local std::array<HWND, 8> gPlaced{};
thread_local std::size_t gNextPlaced = 0;

// Runs inside the system's activation: nothing here allocates or throws.
void Place(HWND window) noexcept {
    wchar_t name[8] = {};
    GetClassNameW(window, name, 8);
    if (std::wstring_view(name) != L"#32770" ||
        std::find(gPlaced.begin(), gPlaced.end(), window) != gPlaced.end()) {
        return;
    }
    gPlaced[gNextPlaced++ % gPlaced.size()] = window;
    POINT pointer{};
    RECT now{};
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (GetCursorPos(&pointer) == FALSE ||
        GetMonitorInfoW(MonitorFromPoint(pointer, MONITOR_DEFAULTTONEAREST), &monitor) == FALSE ||
        GetWindowRect(window, &now) == FALSE) {
        return; // left where the system put it
    }
    const RECT& work = monitor.rcWork;
    const Rect to =
        CentredIn(now.right - now.left, now.bottom - now.top,
                  {work.left, work.top, work.right - work.left, work.bottom - work.top});
    SetWindowPos(window, nullptr, to.left, to.top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT CALLBACK OnActivate(int code, WPARAM wParam, LPARAM lParam) noexcept {
    if (code == HCBT_ACTIVATE) {
        Place(reinterpret_cast<HWND>(wParam));
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
        gPlaced.fill(nullptr);
    }
}

} // namespace snarvik
