// The start routine's module: WinMain in mMain.cpp, and the process-wide tray flag.
#pragma once

namespace snarvik::mMain {

// Set by the start routine before the main window loads, which then lives in the tray.
inline bool TrayMode = false;

} // namespace snarvik::mMain
