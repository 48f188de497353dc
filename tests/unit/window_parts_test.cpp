// The window's small state keepers: when Exit may unload, and which mouse moves the arrow keys
// made.
#include "capture/key_moves.h"
#include "ui/exit_gate.h"

#include <gtest/gtest.h>

#include <string>

namespace snarvik {
namespace {

// Steps: 'e' a dispatch begins, 'l' it ends, 'x' Exit is chosen, 'f' the window goes away.
// The answer has a 'U' where the window unloads, a '.' elsewhere.
std::string Unloads(const std::string& steps, bool& closing) {
    ExitGate gate;
    std::string unloads;
    for (const char step : steps) {
        bool now = false;
        switch (step) {
        case 'e':
            gate.Enter();
            break;
        case 'l':
            now = gate.Leave();
            break;
        case 'x':
            now = gate.Request();
            break;
        default:
            now = gate.Finish();
            break;
        }
        unloads += now ? 'U' : '.';
    }
    closing = gate.closing();
    return unloads;
}

TEST(ExitGate, UnloadsOnceWhenNoDispatchRuns) {
    const struct {
        const char* steps;
        const char* unloads;
        bool closing;
    } cases[] = {
        {"elel", "....", false},    {"x", "U", true}, // from no dispatch: at once
        {"exl", "..U", true},                         // inside one: once it has returned
        {"eexlxl", ".....U", true}, // in a nested loop: once the outermost has returned
        {"exlx", "..U.", true},     // a second Exit finds the window gone
        {"eex", "...", true},       // waiting: no command may start meanwhile
        {"eexf", "...U", true},     // the window's end does not wait
        {"xf", "U.", true},         // nor unloads twice
        {"f", "U", true},
    };
    for (const auto& c : cases) {
        bool closing = false;
        EXPECT_EQ(Unloads(c.steps, closing), c.unloads) << c.steps;
        EXPECT_EQ(closing, c.closing) << c.steps;
    }
}

TEST(KeyMoveEcho, DropsTheSystemsMovesAfterKeysUntilTheUsersOwn) {
    KeyMoveEcho echo;
    echo.Moved({10, 10}, {11, 10});
    echo.Moved({11, 10}, {12, 10});
    // The system catches up, at the new places or (Wine) at the old ones, in any order.
    for (const Point at : {Point{12, 10}, Point{10, 10}, Point{11, 10}}) {
        EXPECT_TRUE(echo.IsEcho(at)) << at.x;
    }
    EXPECT_FALSE(echo.IsEcho({40, 30})); // the user's
    EXPECT_FALSE(echo.IsEcho({12, 10})) << "forgotten after the user's move";

    // Only the last 32 key moves are kept.
    for (int x = 0; x < 40; ++x) {
        echo.Moved({x, 0}, {x + 1, 0});
    }
    EXPECT_TRUE(echo.IsEcho({40, 0}));
    EXPECT_TRUE(echo.IsEcho({8, 0}));
    EXPECT_FALSE(echo.IsEcho({7, 0}));
}

} // namespace
} // namespace snarvik
