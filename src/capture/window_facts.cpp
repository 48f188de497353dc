#include <windows.h>
#include <dwmapi.h>

#include "capture/window_facts.h"

#include "base/win32.h"

#include <algorithm>
#include <iterator>
#include <string_view>

namespace snarvik {

namespace {

// Bounds against windows that come and go while they are walked.
constexpr std::size_t kMostWindows = 4096;

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

bool IsPin(HWND window) {
    wchar_t name[16] = {};
    return GetClassNameW(window, name, static_cast<int>(std::size(name))) > 0 &&
           std::wstring_view(name) == kPinClassName;
}

// Few calls: under Wine each call about a window of another program is a trip to the server
// (and GetWindowInfo several).
WindowFacts FactsOf(HWND window) {
    WindowFacts facts;
    const auto style = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE));
    facts.visible = (style & WS_VISIBLE) != 0;
    if (!facts.visible) {
        return facts;
    }
    facts.minimized = (style & WS_MINIMIZE) != 0;
    RECT rect{};
    GetWindowRect(window, &rect);
    facts.rect = RectOf(rect);
    return facts;
}

// What only a top-level window's styles and class tell: whether the pointer goes through it,
// and whether it is the shell's desktop.
void AddTopFacts(HWND window, WindowFacts& facts) {
    const auto extended = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_EXSTYLE));
    facts.clickThrough = (extended & WS_EX_TRANSPARENT) != 0;
    BYTE alpha = 255;
    DWORD flags = 0;
    facts.transparent = (extended & WS_EX_LAYERED) != 0 &&
                        GetLayeredWindowAttributes(window, nullptr, &alpha, &flags) != FALSE &&
                        (flags & LWA_ALPHA) != 0 && alpha == 0;
    // The desktop's window, or the worker window the shell moves its icon view into.
    wchar_t name[16]{};
    const int length = GetClassNameW(window, name, static_cast<int>(std::size(name)));
    const std::wstring_view className(name, static_cast<std::size_t>(std::max(length, 0)));
    facts.desktop = className == L"Progman" || className == L"WorkerW";
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

struct Child {
    HWND window;
    HWND parent;
};

BOOL CALLBACK AddChild(HWND window, LPARAM list) noexcept {
    auto* children = reinterpret_cast<std::vector<Child>*>(list);
    if (children->size() >= children->capacity()) {
        return FALSE;
    }
    children->push_back({window, GetAncestor(window, GA_PARENT)});
    return TRUE;
}

// The children of parent among all of a window's descendants, each with its own, in z-order.
void AddChildren(HWND parent, const std::vector<Child>& all, std::vector<WindowFacts>& into) {
    for (const Child& child : all) {
        if (child.parent == parent) {
            WindowFacts facts = FactsOf(child.window);
            if (facts.visible) {
                AddChildren(child.window, all, facts.children);
                into.push_back(std::move(facts));
            }
        }
    }
}

} // namespace

std::vector<WindowFacts> CurrentWindows() {
    std::vector<HWND> tops;
    tops.reserve(kMostWindows);
    EnumWindows(&AddTop, reinterpret_cast<LPARAM>(&tops));
    const DWORD self = GetCurrentProcessId();
    std::vector<Child> children;
    std::vector<WindowFacts> windows;
    windows.reserve(tops.size());
    for (HWND top : tops) {
        WindowFacts facts = FactsOf(top);
        if (!facts.visible) {
            continue; // most of them: nothing more to ask
        }
        DWORD process = 0;
        GetWindowThreadProcessId(top, &process);
        facts.ours = process == self && !IsPin(top);
        if (!facts.minimized && !facts.ours) {
            AddTopFacts(top, facts);
            AddCompositorFacts(top, facts);
            // One listing of all its descendants, parents before their children.
            children.clear();
            children.reserve(kMostWindows);
            EnumChildWindows(top, &AddChild, reinterpret_cast<LPARAM>(&children));
            AddChildren(top, children, facts.children);
        }
        windows.push_back(std::move(facts));
    }
    return windows;
}

} // namespace snarvik
