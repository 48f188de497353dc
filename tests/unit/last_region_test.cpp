#include "capture/last_region.h"

#include <gtest/gtest.h>

namespace snarvik {
namespace {

TEST(LastRegion, StoredTextRoundTripsAndAnythingElseIsNone) {
    for (const Rect& region : {Rect{10, 20, 30, 40}, Rect{-2560, -360, 1, 1}}) {
        EXPECT_EQ(ParseRegion(FormatRegion(region)), region) << FormatRegion(region);
    }
    EXPECT_EQ(FormatRegion({-5, 7, 100, 50}), "-5,7,100,50");
    for (const char* text :
         {"", "1,2,3", "1,2,3,4,5", "1,2,3,4 ", " 1,2,3,4", "1;2;3;4", "a,2,3,4", "1,2,0,4",
          "1,2,3,-4", "1,2,3,99999999999", "2147483000,0,1000,10", "1,,3,4"}) {
        EXPECT_EQ(ParseRegion(text), std::nullopt) << text;
    }
}

// The desktop may have changed since the region was stored: monitors gone, moved, resized.
TEST(LastRegion, TakenAgainOnlyWhenEveryPixelIsOnAMonitor) {
    const Monitor primary{{0, 0, 1920, 1080}, {0, 0, 1920, 1040}};
    const Monitor left{{-1280, 0, 1280, 1024}, {-1280, 0, 1280, 1024}};
    const Monitor rightLower{{1920, 200, 1920, 1080}, {1920, 200, 1920, 1080}};
    const struct {
        const char* name;
        Rect region;
        Desktop desktop;
        bool taken;
    } cases[] = {
        {"inside one monitor", {100, 100, 200, 150}, {primary}, true},
        {"exactly the monitor", {0, 0, 1920, 1080}, {primary}, true},
        {"one pixel past its right", {1800, 100, 121, 10}, {primary}, false},
        {"on a monitor that is gone", {-1000, 100, 200, 200}, {primary}, false},
        {"on the left monitor", {-1000, 100, 200, 200}, {primary, left}, true},
        {"across two monitors", {-100, 100, 200, 200}, {primary, left}, true},
        {"into the gap below the shorter monitor", {-100, 1000, 200, 50}, {primary, left}, false},
        {"across where both show", {1800, 300, 200, 50}, {primary, rightLower}, true},
        {"no monitors", {0, 0, 10, 10}, {}, false},
        {"empty", {10, 10, 0, 5}, {primary}, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(WhollyOnDesktop(c.region, c.desktop), c.taken) << c.name;
    }
}

} // namespace
} // namespace snarvik
