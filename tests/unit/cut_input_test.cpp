#include "capture/cut_input.h"

#include <gtest/gtest.h>

#include <string>

namespace snarvik {
namespace {

using Step = CutStep;

// Two monitors side by side, the left one's top lower: the window covers both from (0, 0).
const Desktop kDesktop{{{0, 100, 1000, 700}, {0, 100, 1000, 660}},
                       {{1000, 0, 800, 600}, {1000, 0, 800, 560}}};

const CutState kWaiting{};
const CutState kPressed{.pressed = true};
const CutState kMenuOpen{.menuOpen = true};
const CutState kWindowMode{.windowMode = true};
const CutState kWindowModePressed{.pressed = true, .windowMode = true};
const CutState kSquare{.limit = 32};
const CutState kSquarePressed{.limit = 32, .pressed = true};

struct KeyCase {
    const char* state_name;
    CutState state;
    CutKey key;
    bool shift;
    CutSteps steps;
};

TEST(CutInput, EachKeyInEachState) {
    const Point at{500, 300};
    const KeyCase cases[] = {
        // Escape ends the cut anywhere, but on an open menu only closes the menu.
        {"waiting", kWaiting, CutKey::Escape, false, {{Step::EndCut}}},
        {"pressed", kPressed, CutKey::Escape, false, {{Step::EndCut}}},
        {"square", kSquare, CutKey::Escape, false, {{Step::EndCut}}},
        {"menu", kMenuOpen, CutKey::Escape, false, {{Step::CloseMenu}}},
        // The menu has every other key.
        {"menu", kMenuOpen, CutKey::Enter, false, {}},
        // Enter: a free rectangle takes two, a square or an outline one.
        {"waiting", kWaiting, CutKey::Enter, false, {{Step::Press, at}}},
        {"pressed", kPressed, CutKey::Enter, false, {{Step::Release, at}}},
        {"window", kWindowMode, CutKey::Enter, false, {{Step::Press, at}, {Step::Release, at}}},
        {"window pressed", kWindowModePressed, CutKey::Enter, false, {{Step::Release, at}}},
        {"square", kSquare, CutKey::Enter, false, {{Step::Press, at}, {Step::Release, at}}},
        {"square pressed", kSquarePressed, CutKey::Enter, false, {{Step::Release, at}}},
        // Space: window mode on and off, for any size only and not during a drag.
        {"window", kWindowMode, CutKey::Space, false, {{Step::ToggleWindowMode, at}}},
        {"pressed", kPressed, CutKey::Space, false, {}},
        {"square", kSquare, CutKey::Space, false, {}},
        // Page keys walk the outline only.
        {"window", kWindowMode, CutKey::PageUp, false, {{Step::WalkOutline, {}, 1}}},
        {"window", kWindowMode, CutKey::PageDown, false, {{Step::WalkOutline, {}, -1}}},
        {"window pressed", kWindowModePressed, CutKey::PageUp, false, {}},
        {"waiting", kWaiting, CutKey::PageUp, false, {}},
        {"square", kSquare, CutKey::PageDown, false, {}},
        // + and - step a square only.
        {"square", kSquare, CutKey::Plus, false, {{Step::StepSquare, {}, 1}}},
        {"square pressed", kSquarePressed, CutKey::Minus, false, {{Step::StepSquare, {}, -1}}},
        {"window", kWindowMode, CutKey::Minus, false, {}},
        // Arrows move the pointer in every state but the menu's; Shift by ten.
        {"waiting", kWaiting, CutKey::Left, false, {{Step::MoveTo, {499, 300}}}},
        {"pressed", kPressed, CutKey::Right, true, {{Step::MoveTo, {510, 300}}}},
        {"window", kWindowMode, CutKey::Up, false, {{Step::MoveTo, {500, 299}}}},
        {"square", kSquare, CutKey::Down, true, {{Step::MoveTo, {500, 310}}}},
    };
    CutInput input(kDesktop);
    for (const KeyCase& c : cases) {
        input.Move(kWaiting, at);
        EXPECT_EQ(input.Key(c.state, c.key, c.shift), c.steps)
            << c.state_name << ", key " << static_cast<int>(c.key)
            << (c.shift ? " with Shift" : "");
    }
}

// Keys keep the pointer on the monitors, whose corners need not line up, and count in the
// window's coordinates wherever the window starts.
TEST(CutInput, ArrowsStayOnTheMonitors) {
    // A monitor left of and above the primary one: the window starts there.
    const Desktop leftAbove{{{-1000, -100, 1000, 700}, {-1000, -100, 1000, 660}}};
    const struct {
        const Desktop& desktop;
        Point origin;
        Point from;
        CutKey key;
        Point to;
    } cases[] = {
        {kDesktop, {0, 0}, {1795, 300}, CutKey::Right, {1799, 300}}, // ten would pass the edge
        {kDesktop, {0, 0}, {999, 599}, CutKey::Right, {1009, 599}},  // across to the other one
        {leftAbove, {-1000, -100}, {3, 3}, CutKey::Up, {3, 0}},      // window coordinates
    };
    for (const auto& c : cases) {
        CutInput input(c.desktop);
        input.Start(c.origin);
        input.Move(kWaiting, c.from);
        const CutSteps steps = input.Key(kWaiting, c.key, true);
        ASSERT_EQ(steps.size(), 1u);
        EXPECT_EQ(steps[0], (CutStep{Step::MoveTo, c.to})) << c.from.x << "," << c.from.y;
        EXPECT_EQ(input.pointer(), c.to) << "the next key starts there";
    }
}

TEST(CutInput, ButtonsAndMovesGoToTheFrameUnlessTheMenuIsOpen) {
    CutInput input(kDesktop);
    const Point at{40, 50};
    for (const CutState& state : {kWaiting, kPressed, kWindowMode, kSquare}) {
        EXPECT_EQ(input.ButtonDown(state, at), (CutSteps{{Step::Press, at}}));
        EXPECT_EQ(input.Move(state, at), (CutSteps{{Step::MoveTo, at}}));
        EXPECT_EQ(input.ButtonUp(state, at), (CutSteps{{Step::Release, at}}));
    }
    EXPECT_EQ(input.ButtonDown(kMenuOpen, at), CutSteps{});
    EXPECT_EQ(input.Move(kMenuOpen, at), CutSteps{});
    EXPECT_EQ(input.ButtonUp(kMenuOpen, at), CutSteps{});
}

// A notch is 120 units; finer wheels send less, and what is short of a notch waits for more.
TEST(CutInput, TheWheelStepsSquaresAndWalksOutlinesByWholeNotches) {
    CutInput input(kDesktop);
    EXPECT_EQ(input.Wheel(kSquare, 240), (CutSteps{{Step::StepSquare, {}, 2}}));
    EXPECT_EQ(input.Wheel(kSquare, 60), CutSteps{});
    EXPECT_EQ(input.Wheel(kSquare, 60), (CutSteps{{Step::StepSquare, {}, 1}}));
    EXPECT_EQ(input.Wheel(kWindowMode, -120), (CutSteps{{Step::WalkOutline, {}, -1}}));
    for (const CutState& idle : {kWaiting, kPressed, kWindowModePressed, kMenuOpen}) {
        EXPECT_EQ(input.Wheel(idle, 120), CutSteps{});
    }
    EXPECT_EQ(input.Wheel(kWindowMode, 90), CutSteps{});
    input.Start({0, 0}); // a new cut forgets the turn
    EXPECT_EQ(input.Wheel(kWindowMode, 90), CutSteps{});
    EXPECT_EQ(input.Wheel(kWindowMode, 30), (CutSteps{{Step::WalkOutline, {}, 1}}));
}

} // namespace
} // namespace snarvik
