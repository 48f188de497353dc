#include <gtest/gtest.h>

#include <set>

#include "tray/delayed_cut.h"
#include "tray/tray_logic.h"

namespace snarvik {
namespace {

// Every tray item's id comes back through the window hook as its own command.
TEST(TrayMenu, EveryItemReachesItsOwnCommand) {
    std::set<std::int16_t> seen;
    auto items = std::vector<TrayMenuEntry>(kTrayMenu.begin(), kTrayMenu.end());
    items.push_back(kCancelDelayedCutEntry);
    for (const TrayMenuEntry& entry : items) {
        if ((entry.flags & (kMenuSeparator | kMenuPopup)) != 0) {
            continue;
        }
        const HookAction action = DecideHookAction(kCommandMessage, entry.id, 0);
        ASSERT_EQ(action.kind, HookActionKind::RaiseMenuClick) << entry.text;
        EXPECT_NE(TrayCommandFor(action.index).kind, TrayCommandKind::None) << entry.text;
        EXPECT_TRUE(seen.insert(action.index).second) << entry.text;
    }
    EXPECT_EQ(seen.size(), 12u);
    EXPECT_EQ(kTrayMenu[kTrayMenuDefaultPosition].text, "Cut - &Any Size");
}

TEST(TrayMenu, CommandsByIndex) {
    const struct {
        std::int16_t index;
        TrayCommand command;
    } cases[] = {
        // What other code sends: the hotkey 2, a close from outside 6.
        {2, {TrayCommandKind::StartCut, 0}},
        {6, {TrayCommandKind::Exit, 0}},
        {kCutDelay3, {TrayCommandKind::StartDelayedCut, 0, false, 3}},
        {kCutDelay10, {TrayCommandKind::StartDelayedCut, 0, false, 10}},
        {kClosingStepOnly, {}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TrayCommandFor(c.index), c.command) << c.index;
    }
    // Print Screen cuts any size, whatever cut is up.
    EXPECT_EQ(DecideHookAction(kHotkeyMessage, 0xC000, 0x2C0000).index, kCutAnySize);
}

TEST(DelayedCut, CountsDownAndCutsAtZero) {
    DelayedCut count;
    EXPECT_EQ(count.Tip(), kTrayTip);
    EXPECT_EQ(count.Second(false), DelayedCut::Tick::None);
    count.Start(3);
    EXPECT_EQ(count.Tip(), "Snarvik -- cut in 3 s (click for menu)");
    EXPECT_EQ(count.Second(false), DelayedCut::Tick::Counted);
    EXPECT_EQ(count.Second(false), DelayedCut::Tick::Counted);
    EXPECT_EQ(count.Tip(), "Snarvik -- cut in 1 s (click for menu)");
    EXPECT_EQ(count.Second(false), DelayedCut::Tick::Cut);
    EXPECT_FALSE(count.running());
    EXPECT_EQ(count.Tip(), kTrayTip);
    EXPECT_EQ(count.Second(false), DelayedCut::Tick::None); // one cut only
}

TEST(DelayedCut, EndedByCancelOrAnotherCut) {
    // Cancel from the tray menu and Print Screen both end the count; nothing fires after.
    DelayedCut count;
    count.Start(5);
    count.Second(false);
    EXPECT_TRUE(count.End());
    EXPECT_EQ(count.Second(false), DelayedCut::Tick::None);
    EXPECT_FALSE(count.End()); // a cut with no count running ends nothing
    count.Start(10);
    count.Start(3); // started again: from the new count
    EXPECT_EQ(count.remaining(), 3);
}

TEST(DelayedCut, AtZeroWaitsForOurOwnMenuOrDialog) {
    DelayedCut count;
    count.Start(1);
    EXPECT_EQ(count.Second(true), DelayedCut::Tick::Counted);
    EXPECT_EQ(count.phase(), DelayedCut::Phase::Due);
    EXPECT_EQ(count.Tip(), "Snarvik -- cut as soon as the open menu or dialog closes");
    EXPECT_EQ(count.Second(true), DelayedCut::Tick::Counted);
    EXPECT_EQ(count.Second(false), DelayedCut::Tick::Cut);
    EXPECT_EQ(count.phase(), DelayedCut::Phase::Idle);
    count.Start(1);
    count.Second(true);
    EXPECT_TRUE(count.End()); // cancelled while due
    EXPECT_EQ(count.Second(false), DelayedCut::Tick::None);
}

} // namespace
} // namespace snarvik
