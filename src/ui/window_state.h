// The rule that keeps the main window either hidden in the tray or maximised over the screen.
#pragma once

namespace snarvik {

enum class WindowState { Normal, Minimized, Maximized };

enum class ResizeAction {
    None,     // tray not made yet: leave the window alone
    Hide,     // a minimised capture window: hide it, it is no longer up
    Maximize, // any other state: make it maximised, it is up
};

ResizeAction TrayResizeAction(bool trayMade, WindowState state, bool maximized);

} // namespace snarvik
