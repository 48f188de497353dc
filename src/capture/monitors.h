// The monitors as the system places them now.
#pragma once
#include <windows.h>

#include "capture/desktop.h"

namespace snarvik {

// Every monitor in screen coordinates; the primary screen from the system metrics when the
// system reports none.
Desktop CurrentDesktop();

} // namespace snarvik
