#include <windows.h>
#include <dwmapi.h>

#include "capture/window_facts.h"

#include "base/win32.h"

namespace snarvik {

namespace {

// Bounds against windows that come and go while they are walked.
constexpr std::size_t kMostWindows = 4096;
constexpr int kDeepestControl = 16;

Rect RectOf(const RECT& r) {
    return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

BOOL CALLBACK AddTop(HWND window, LPARAM list) noexcept {
    auto* windows = reinterpret_cast<std::vector<HWND>*>(list);
    if (windows->size() >= windows->capacity()) {
        return FALSE; // room was made beforehand: nothing here may throw through the system
    }
    windows->push_back(window);
    return TRUE;
}

// One call for the rectangle, the styles and so visibility and minimising: under Wine each
// call about a window of another program is a trip to the server.
WindowFacts FactsOf(HWND window) {
    WindowFacts facts;
    WINDOWINFO info{};
    info.cbSize = sizeof info;
    if (GetWindowInfo(window, &info) == FALSE) {
        facts.visible = false;
        return facts;
    }
    facts.rect = RectOf(info.rcWindow);
    facts.visible = (info.dwStyle & WS_VISIBLE) != 0;
    facts.minimized = (info.dwStyle & WS_MINIMIZE) != 0;
    facts.clickThrough = (info.dwExStyle & WS_EX_TRANSPARENT) != 0;
    BYTE alpha = 255;
    DWORD flags = 0;
    facts.transparent = (info.dwExStyle & WS_EX_LAYERED) != 0 &&
                        GetLayeredWindowAttributes(window, nullptr, &alpha, &flags) != FALSE &&
                        (flags & LWA_ALPHA) != 0 && alpha == 0;
    return facts;
}

// The compositor's facts of a top-level window: its visible frame, without the invisible resize
// borders that the window's rectangle includes, and whether it hides the window.
void AddCompositorFacts(HWND window, WindowFacts& facts) {
    auto* attribute = SNARVIK_LATER(L"dwmapi.dll", DwmGetWindowAttribute);
    if (attribute == nullptr) {
        return;
    }
    RECT frame{};
    if (SUCCEEDED(attribute(window, DWMWA_EXTENDED_FRAME_BOUNDS, &frame, sizeof frame))) {
        facts.frame = RectOf(frame);
    }
    int cloaked = 0;
    facts.cloaked =
        SUCCEEDED(attribute(window, DWMWA_CLOAKED, &cloaked, sizeof cloaked)) && cloaked != 0;
}

void AddChildren(HWND parent, std::vector<WindowFacts>& into, int depth, std::size_t& budget) {
    for (HWND child = GetWindow(parent, GW_CHILD); child != nullptr && budget > 0;
         child = GetWindow(child, GW_HWNDNEXT), --budget) {
        WindowFacts facts = FactsOf(child);
        if (facts.visible && depth < kDeepestControl) {
            AddChildren(child, facts.children, depth + 1, budget);
        }
        into.push_back(std::move(facts));
    }
}

} // namespace

std::vector<WindowFacts> CurrentWindows() {
    std::vector<HWND> tops;
    tops.reserve(kMostWindows);
    EnumWindows(&AddTop, reinterpret_cast<LPARAM>(&tops));
    const DWORD self = GetCurrentProcessId();
    std::size_t budget = kMostWindows;
    std::vector<WindowFacts> windows;
    windows.reserve(tops.size());
    for (HWND top : tops) {
        WindowFacts facts = FactsOf(top);
        if (!facts.visible) {
            continue; // most of them: nothing more to ask
        }
        DWORD process = 0;
        GetWindowThreadProcessId(top, &process);
        facts.ours = process == self;
        if (!facts.minimized && !facts.ours) {
            AddCompositorFacts(top, facts);
            AddChildren(top, facts.children, 1, budget);
        }
        windows.push_back(std::move(facts));
    }
    return windows;
}

} // namespace snarvik
