// What the system says about Print Screen's likely holders, and the one change of the system's
// settings that the user may ask for.
#pragma once
#include <windows.h>

#include "base/failure.h"
#include "tray/print_screen_notice.h"

namespace snarvik {

// The user's keyboard settings and OneDrive's, and the Windows build.
PrintScreenFacts ReadPrintScreenFacts(bool registered);

// Turns the system's "Print Screen opens screen capture" off for this user and tells every
// window (the system's among them) that the setting changed.
Failed TurnSystemCaptureOff();

} // namespace snarvik
