#include "capture/overlay.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

namespace snarvik {
namespace {

TEST(Overlay, BesideThePointerFlippedAtEdgesAndCornersNeverFar) {
    const Rect screen{0, 0, 1920, 1080};
    const int right = 1920 - kOverlayGap - kOverlayWidth; // where a panel flipped left ends
    const struct {
        int x, y, left, top;
    } cases[] = {
        {500, 400, 516, 416},                                 // below and right
        {0, 0, 16, 16},                                       // top left corner
        {1919, 500, 1919 - kOverlayGap - kOverlayWidth, 516}, // right edge
        {right, 500, right + kOverlayGap, 516},               // just fits on the right
        {right + 1, 500, right + 1 - kOverlayGap - kOverlayWidth, 516},
        {500, 1079, 516, 1079 - kOverlayGap - kOverlayHeight},         // bottom edge
        {1919, 1079, 1919 - 106, 1079 - kOverlayGap - kOverlayHeight}, // bottom right corner
        {0, 1079, 16, 1079 - kOverlayGap - kOverlayHeight},            // bottom left corner
        {1919, 0, 1919 - 106, 16},                                     // top right corner
    };
    for (const auto& c : cases) {
        const Rect panel = PlaceOverlay(c.x, c.y, screen);
        EXPECT_EQ(panel, (Rect{c.left, c.top, kOverlayWidth, kOverlayHeight})) << c.x << "," << c.y;
        EXPECT_LE(
            std::max(std::abs(panel.left - c.x), std::abs(panel.left + panel.width - 1 - c.x)),
            kOverlayReach);
        EXPECT_LE(std::max(std::abs(panel.top - c.y), std::abs(panel.top + panel.height - 1 - c.y)),
                  kOverlayReach);
    }
}

TEST(Overlay, ReadoutTexts) {
    EXPECT_EQ(PointerText(-1280, 1079), "-1280, 1079");
    EXPECT_EQ(SizeText(90, 75), "90 \u00d7 75");
    EXPECT_EQ(ColourText(0xFF629512u), "#629512");
    EXPECT_EQ(ColourText(0x00000A0Bu), "#000A0B");
}

} // namespace
} // namespace snarvik
