// The windows on the screen now, as the system reports them: what window mode snaps to.
#pragma once
#include <windows.h>

#include <vector>

#include "capture/snap.h"

namespace snarvik {

// The class of our windows that hold a picture pinned to the screen: for a later cut they are
// windows on the screen like any other, never marked as ours.
inline constexpr const wchar_t* kPinClassName = L"SnarvikPin";

// Every visible top-level window, top of the z-order first, with its child windows; ours
// (pins aside) are marked.
std::vector<WindowFacts> CurrentWindows();

} // namespace snarvik
