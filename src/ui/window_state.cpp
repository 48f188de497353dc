#include "ui/window_state.h"

namespace snarvik {

ResizeAction TrayResizeAction(bool trayMade, WindowState state, bool maximized) {
    if (!trayMade) {
        return ResizeAction::None;
    }
    if (state == WindowState::Minimized && maximized) {
        return ResizeAction::Hide;
    }
    return ResizeAction::Maximize;
}

} // namespace snarvik
