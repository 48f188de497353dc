// The start routine's module: WinMain in mMain.cpp, and the process-wide tray flag.
#pragma once

namespace snarvik::mMain {

// Set by the start routine before the main window loads; the tray handling acts only then.
inline bool TrayMode = false;

} // namespace snarvik::mMain
