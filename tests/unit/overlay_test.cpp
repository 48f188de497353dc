#include "capture/overlay.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace snarvik {
namespace {

TEST(Overlay, GrowsWithTheMonitorsScaling) {
    const struct {
        int dpi, lines, zoom, line, width, height, gap;
    } cases[] = {
        {96, 2, 8, 16, 90, 122, 16},    {96, 3, 8, 16, 90, 138, 16},
        {120, 2, 10, 20, 112, 152, 20}, {144, 2, 12, 24, 134, 182, 24},
        {144, 3, 12, 24, 134, 206, 24}, {192, 2, 16, 32, 180, 244, 32}, // a two-pixel frame
        {0, 2, 8, 16, 90, 122, 16},                                     // unknown: as 96
    };
    for (const auto& c : cases) {
        const OverlayLayout layout = LayoutOverlay(c.dpi, c.lines);
        EXPECT_EQ((std::vector<int>{layout.zoom, layout.line, layout.width(), layout.height(),
                                    layout.gap}),
                  (std::vector<int>{c.zoom, c.line, c.width, c.height, c.gap}))
            << c.dpi << " dpi, " << c.lines << " lines";
    }
}

TEST(Overlay, BesideThePointerFlippedAtEdgesAndCornersNeverFar) {
    const Rect screen{0, 0, 1920, 1080};
    for (const OverlayLayout& layout :
         {LayoutOverlay(96), LayoutOverlay(96, 3), LayoutOverlay(144, 3), LayoutOverlay(192)}) {
        const int gap = layout.gap;
        const int width = layout.width();
        const int height = layout.height();
        const int right = 1920 - gap - width; // where a panel flipped left ends
        const struct {
            int x, y, left, top;
        } cases[] = {
            {500, 400, 500 + gap, 400 + gap},                      // below and right
            {0, 0, gap, gap},                                      // top left corner
            {1919, 500, 1919 - gap - width, 500 + gap},            // right edge
            {right, 500, right + gap, 500 + gap},                  // just fits on the right
            {right + 1, 500, right + 1 - gap - width, 500 + gap},  // just does not
            {500, 1079, 500 + gap, 1079 - gap - height},           // bottom edge
            {1919, 1079, 1919 - gap - width, 1079 - gap - height}, // bottom right corner
        };
        for (const auto& c : cases) {
            const Rect panel = PlaceOverlay(c.x, c.y, screen, layout);
            EXPECT_EQ(panel, (Rect{c.left, c.top, width, height}))
                << c.x << "," << c.y << " zoom " << layout.zoom;
            EXPECT_LE(
                std::max(std::abs(panel.left - c.x), std::abs(panel.left + panel.width - 1 - c.x)),
                layout.reach());
            EXPECT_LE(
                std::max(std::abs(panel.top - c.y), std::abs(panel.top + panel.height - 1 - c.y)),
                layout.reach());
        }
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
