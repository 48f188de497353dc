#include "capture/pin_geometry.h"

#include <gtest/gtest.h>

namespace snarvik {
namespace {

TEST(PinGeometry, ZoomStepsHoldBetweenAQuarterAndFourTimes) {
    struct Case {
        int percent, notches, expected;
    };
    for (const Case c : {Case{100, 1, 125},
                         {100, -1, 75},
                         {100, 3, 200},
                         {100, -20, 25},
                         {100, 20, 400},
                         {90, 1, 100},
                         {90, -1, 75},
                         {500, -1, 400}}) {
        SCOPED_TRACE(testing::Message() << c.percent << " by " << c.notches);
        EXPECT_EQ(ZoomStep(c.percent, c.notches), c.expected);
    }
}

TEST(PinGeometry, OpacityStepsOfTenPercentNeverFainterThanAFifth) {
    EXPECT_EQ(OpacityStep(100, -1), 90);
    EXPECT_EQ(OpacityStep(100, 1), 100);
    EXPECT_EQ(OpacityStep(30, -5), 20);
    EXPECT_EQ(OpacityStep(20, 3), 50);
    EXPECT_EQ(AlphaOf(100), 255);
    EXPECT_EQ(AlphaOf(50), 128);
    EXPECT_EQ(AlphaOf(20), 51);
}

// The picture's point under the pointer stays there; zooming in and back restores the place.
TEST(PinGeometry, ZoomKeepsThePointUnderThePointer) {
    const Rect actual{100, 200, 40, 30};
    struct Case {
        Point around;
        int to;
        Rect expected;
    };
    for (const Case c : {Case{{100, 200}, 200, {100, 200, 80, 60}},
                         {{140, 230}, 200, {60, 170, 80, 60}},
                         {{120, 216}, 50, {110, 208, 20, 15}},
                         {{99, 199}, 400, {103, 203, 160, 120}}, // on the frame
                         {{131, 207}, 25, {123, 205, 10, 8}}}) {
        SCOPED_TRACE(testing::Message() << c.to << "% at " << c.around.x << "," << c.around.y);
        const Rect zoomed = ZoomAround(actual, 40, 30, c.to, c.around);
        EXPECT_EQ(zoomed, c.expected);
        if (c.to > kActualSize) {
            EXPECT_EQ(ZoomAround(zoomed, 40, 30, kActualSize, c.around), actual);
        }
    }
}

TEST(PinGeometry, APictureShownSmallStaysAtLeastOnePixel) {
    EXPECT_EQ(ZoomAround({0, 0, 3, 1}, 3, 1, 25, {0, 0}), (Rect{0, 0, 1, 1}));
}

TEST(PinGeometry, FineWheelDeltasAddUpToWholeNotches) {
    WheelNotches wheel;
    EXPECT_EQ(wheel.Add(60), 0);
    EXPECT_EQ(wheel.Add(60), 1);
    EXPECT_EQ(wheel.Add(-240), -2);
    EXPECT_EQ(wheel.Add(-100), 0);
    EXPECT_EQ(wheel.Add(100), 0);
}

} // namespace
} // namespace snarvik
