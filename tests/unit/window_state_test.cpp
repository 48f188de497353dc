#include "ui/window_state.h"

#include <gtest/gtest.h>

namespace snarvik {
namespace {

TEST(WindowStateRule, EveryChangeEndsHiddenOrMaximised) {
    struct Case {
        bool trayMode, trayMade;
        WindowState state;
        bool maximized;
        ResizeAction expected;
    };
    const Case cases[] = {
        // Before the tray exists nothing is touched (the load minimises the window first).
        {true, false, WindowState::Minimized, false, ResizeAction::None},
        {true, false, WindowState::Normal, true, ResizeAction::None},
        {false, true, WindowState::Normal, false, ResizeAction::None},
        // A cut shows the minimised window: it becomes maximised.
        {true, true, WindowState::Minimized, false, ResizeAction::Maximize},
        // Ending a cut minimises the up window: it hides.
        {true, true, WindowState::Minimized, true, ResizeAction::Hide},
        // Restoring or re-maximising the shown window keeps it maximised.
        {true, true, WindowState::Normal, true, ResizeAction::Maximize},
        {true, true, WindowState::Normal, false, ResizeAction::Maximize},
        {true, true, WindowState::Maximized, true, ResizeAction::Maximize},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TrayResizeAction(c.trayMode, c.trayMade, c.state, c.maximized), c.expected)
            << c.trayMode << c.trayMade << static_cast<int>(c.state) << c.maximized;
    }
}

} // namespace
} // namespace snarvik
