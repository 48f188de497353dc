// The windows on the screen now, as the system reports them: what window mode snaps to.
#pragma once
#include <windows.h>

#include <vector>

#include "capture/snap.h"

namespace snarvik {

// Every visible top-level window, top of the z-order first, with its child windows; ours are
// marked.
std::vector<WindowFacts> CurrentWindows();

} // namespace snarvik
