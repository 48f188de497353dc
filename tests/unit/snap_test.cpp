// Window mode's geometry, on layouts no test machine has: the rectangles of the screen at a grab,
// what a point finds under it, the walk out and in, and a click told from a drag.
#include "capture/snap.h"
#include "capture/window_mode.h"

#include <gtest/gtest.h>

#include <vector>

namespace snarvik {
namespace {

const Monitor kLeft{{0, 0, 1920, 1080}, {0, 0, 1920, 1040}};
const Monitor kRight{{1920, 0, 1920, 1080}, {1920, 0, 1920, 1080}};

WindowFacts Window(Rect rect, std::vector<WindowFacts> children = {}) {
    WindowFacts facts;
    facts.rect = rect;
    facts.children = std::move(children);
    return facts;
}

// A window the system shows with invisible resize borders of 7 pixels beside and below it.
WindowFacts Framed(Rect frame) {
    WindowFacts facts = Window({frame.left - 7, frame.top, frame.width + 14, frame.height + 7});
    facts.frame = frame;
    return facts;
}

// The window with each of the given flags set.
template <typename... Flags> WindowFacts With(WindowFacts facts, Flags... flags) {
    ((facts.*flags = true), ...);
    return facts;
}

WindowFacts Hidden(Rect rect) {
    WindowFacts facts = Window(rect);
    facts.visible = false;
    return facts;
}

TEST(Snap, APointFindsTheDeepestRectangleUnderItAndItsParents) {
    const Rect dialog{300, 200, 400, 300};
    const Rect panel{320, 260, 200, 150};
    const Rect button{340, 300, 80, 30};
    const std::vector<WindowFacts> windows = {
        Window(dialog, {Window(panel, {Window(button)}),
                        Window({650, 450, 100, 100})}), // a control partly outside its window
        Framed({200, 100, 500, 300}),                   // below the dialog
        Window({1800, 600, 400, 300}),                  // across the two monitors
    };
    const Snapshot snapshot = MakeSnapshot({kLeft, kRight}, windows);
    const struct {
        const char* what;
        Point at;
        std::vector<Rect> chain;
    } cases[] = {
        {"a control in a control", {350, 310}, {button, panel, dialog, kLeft.bounds}},
        {"the panel around it", {500, 400}, {panel, dialog, kLeft.bounds}},
        {"the window above another", {310, 210}, {dialog, kLeft.bounds}},
        {"the one below where it shows", {250, 150}, {{200, 100, 500, 300}, kLeft.bounds}},
        {"its invisible border", {195, 150}, {kLeft.bounds}},
        {"the control's part inside", {690, 490}, {{650, 450, 50, 50}, dialog, kLeft.bounds}},
        {"the control's part outside", {720, 520}, {kLeft.bounds}},
        {"across two monitors, on the left", {1850, 700}, {{1800, 600, 400, 300}, kLeft.bounds}},
        {"across two monitors, on the right", {2000, 700}, {{1800, 600, 400, 300}, kRight.bounds}},
        {"the bare desktop", {1000, 900}, {kLeft.bounds}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SnapChain(snapshot, c.at), c.chain) << c.what;
    }
    EXPECT_EQ(SnapChain(MakeSnapshot({kLeft}, {}), {5, 5}), std::vector<Rect>{kLeft.bounds});
    EXPECT_EQ(SnapChain(MakeSnapshot({}, {}), {5, 5}), std::vector<Rect>{});
}

TEST(Snap, OnlyWhatAUserCanSeeAndClickIsATarget) {
    const Rect under{100, 100, 600, 400};
    const std::vector<WindowFacts> windows = {
        With(Window({0, 0, 1920, 1080}), &WindowFacts::transparent),
        With(Window({0, 0, 1920, 1080}), &WindowFacts::clickThrough),
        With(Window({100, 100, 300, 200}), &WindowFacts::cloaked),
        With(Window({100, 100, 160, 24}), &WindowFacts::minimized),
        With(Window({100, 100, 300, 200}), &WindowFacts::ours),
        Hidden({100, 100, 300, 200}),
        Window({150, 150, 4, 300}), // too narrow
        // Styles that let the pointer through a window do not hide a control (a group box,
        // painted after its siblings, lets it through).
        Window(under,
               {Hidden({120, 120, 100, 100}), Window({120, 120, 4, 4}), Window({130, 130, 50, 50}),
                With(Window({300, 120, 100, 100}), &WindowFacts::clickThrough),
                With(Window({450, 120, 100, 100}), &WindowFacts::transparent,
                     &WindowFacts::clickThrough)}),
    };
    const Snapshot snapshot = MakeSnapshot({kLeft}, windows);
    const struct {
        Point at;
        std::vector<Rect> chain;
    } cases[] = {
        {{151, 400}, {under, kLeft.bounds}},
        {{121, 121}, {under, kLeft.bounds}},
        {{140, 140}, {{130, 130, 50, 50}, under, kLeft.bounds}},
        {{310, 130}, {{300, 120, 100, 100}, under, kLeft.bounds}},
        {{460, 130}, {{450, 120, 100, 100}, under, kLeft.bounds}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SnapChain(snapshot, c.at), c.chain) << c.at.x << "," << c.at.y;
    }
}

TEST(Snap, TheShellsDesktopGivesTheMonitorUnderThePointer) {
    // The desktop and its icon view span both monitors; a window lies on it.
    const Rect both{0, 0, 3840, 1080};
    const Rect window{2100, 100, 600, 400};
    for (const auto& shell :
         {With(Window(both, {Window(both, {Window(both)})}), &WindowFacts::desktop),
          With(Window(both, {Window(both)}), &WindowFacts::desktop)}) {
        const Snapshot snapshot = MakeSnapshot({kLeft, kRight}, {Window(window), shell});
        EXPECT_EQ(SnapChain(snapshot, {500, 500}), std::vector<Rect>{kLeft.bounds});
        EXPECT_EQ(SnapChain(snapshot, {3000, 900}), std::vector<Rect>{kRight.bounds});
        EXPECT_EQ(SnapChain(snapshot, {2200, 200}), (std::vector<Rect>{window, kRight.bounds}));
    }
}

TEST(Snap, EverythingIsClippedToTheVirtualScreen) {
    // A maximised window sticks out on every side; its visible part is the monitor.
    const Snapshot snapshot = MakeSnapshot({kLeft}, {Window({-8, -8, 1936, 1056})});
    EXPECT_EQ(SnapChain(snapshot, {0, 0}).front(), (Rect{0, 0, 1920, 1048}));
    // Wholly off the screen, or left with a sliver on it: no target.
    EXPECT_TRUE(MakeSnapshot({kLeft}, {Window({-500, 0, 497, 400})}).windows.empty());
    EXPECT_TRUE(MakeSnapshot({kLeft}, {Window({2000, 0, 400, 400})}).windows.empty());
}

TEST(WindowMode, WalksOutAndBackInAndKeepsWhatItWalkedTo) {
    const Rect window{100, 100, 600, 400};
    const Rect control{150, 150, 100, 40};
    WindowMode mode;
    mode.Reset(MakeSnapshot({kLeft}, {Window(window, {Window(control)})}));
    EXPECT_EQ(mode.Outlined(), std::nullopt) << "off at a new cut";
    mode.Toggle({160, 160});
    EXPECT_EQ(mode.Outlined(), control);
    const struct {
        int steps;
        Rect outlined;
    } walk[] = {{1, window},  {1, kLeft.bounds}, {5, kLeft.bounds},
                {-1, window}, {-9, control},     {1, window}};
    for (const auto& step : walk) {
        mode.Walk(step.steps);
        EXPECT_EQ(mode.Outlined(), step.outlined) << step.steps;
    }
    mode.PointAt({600, 400}); // still on the window walked out to
    EXPECT_EQ(mode.Outlined(), window);
    mode.PointAt({160, 160});
    EXPECT_EQ(mode.Outlined(), window);
    mode.PointAt({900, 700}); // off it: the deepest there
    EXPECT_EQ(mode.Outlined(), kLeft.bounds);
    mode.PointAt({160, 160});
    EXPECT_EQ(mode.Outlined(), control);
    mode.Toggle({160, 160});
    EXPECT_EQ(mode.Outlined(), std::nullopt);
}

TEST(WindowMode, APressIsAClickUntilItMovesPastTheThreshold) {
    const struct {
        Point release;
        bool click;
    } releases[] = {{{100, 100}, true}, {{104, 96}, true}, {{105, 100}, false}, {{100, 95}, false}};
    for (const auto& r : releases) {
        EXPECT_EQ(IsClick({100, 100}, r.release, 4, 4), r.click)
            << r.release.x << "," << r.release.y;
    }
    WindowMode mode;
    mode.Reset(MakeSnapshot({kLeft}, {}));
    mode.Toggle({100, 100});
    mode.Press({100, 100});
    EXPECT_FALSE(mode.DragsAt({103, 102}, 4, 4));
    EXPECT_TRUE(mode.Outlined().has_value());
    EXPECT_TRUE(mode.DragsAt({110, 100}, 4, 4)) << "the drag starts here";
    EXPECT_FALSE(mode.DragsAt({101, 100}, 4, 4)) << "and stays one, back near the press";
    EXPECT_TRUE(mode.dragging());
    EXPECT_EQ(mode.Outlined(), std::nullopt);
}

} // namespace
} // namespace snarvik
