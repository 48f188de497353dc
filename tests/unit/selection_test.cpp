#include "capture/selection.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace snarvik {
namespace {

// Steps: "p x y" press, "m x y" move, "r" release (the frame grows), "s" the closing step
// (size = limit), separated by ';'.
SelectionFrame Drive(std::int32_t limit, const std::string& steps) {
    SelectionFrame frame;
    std::istringstream in(steps);
    std::string step;
    while (std::getline(in, step, ';')) {
        std::istringstream words(step);
        char kind = 0;
        int x = 0;
        int y = 0;
        words >> kind >> x >> y;
        switch (kind) {
        case 'p':
            frame.Press(x, y, limit);
            break;
        case 'm':
            frame.Move(x, y, limit);
            break;
        case 'r':
            frame.Grow();
            break;
        default:
            frame.SetSize(limit);
            break;
        }
    }
    return frame;
}

TEST(SelectionFrame, FollowsPressMoveReleaseSequences) {
    const auto dotted = LineStyle::Dotted;
    const auto solid = LineStyle::Solid;
    const struct {
        std::int32_t limit;
        const char* steps;
        Rect expected;
        bool visible;
        LineStyle style;
    } cases[] = {
        {0, "p 10 20; m 30 25; m 40 70; r", {9, 19, 32, 52}, true, solid},
        // Dragging up keeps the last height while the width still grows; up and left: zero.
        {0, "p 100 100; m 120 130; m 140 90", {100, 100, 40, 30}, true, dotted},
        {0, "p 100 100; m 80 70", {100, 100, 0, 0}, true, dotted},
        // A limited square ends at the pointer, follows it before a press, turns solid on a
        // release and dotted again on the next move.
        {64, "p 10 10", {-54, -54, 64, 64}, true, dotted},
        {32, "m 200 300; p 210 310; m 220 330; r", {187, 297, 34, 34}, true, solid},
        {16, "m 40 40", {24, 24, 0, 0}, true, dotted},
        {16, "p 100 100; r; m 50 50", {34, 34, 18, 18}, true, dotted},
        // Before a press, moves stretch the hidden frame from where it was; after a dismissed
        // menu, the solid frame from one pixel up and left.
        {0, "s; m 15 25", {0, 0, 15, 25}, false, dotted},
        {0, "p 100 100; m 150 150; r; m 130 170", {99, 99, 31, 71}, true, solid},
    };
    for (const auto& c : cases) {
        const SelectionFrame frame = Drive(c.limit, c.steps);
        EXPECT_EQ(frame.rect(), c.expected) << c.limit << ": " << c.steps;
        EXPECT_EQ(frame.visible(), c.visible) << c.limit << ": " << c.steps;
        EXPECT_EQ(frame.style(), c.style) << c.limit << ": " << c.steps;
    }
}

TEST(CopyRegion, CopiesInsideAndBlackensOutside) {
    // 4x3 source whose pixel value encodes its position.
    std::vector<std::uint32_t> source(12);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 4; ++x) {
            source[static_cast<std::size_t>(y * 4 + x)] =
                0x00100000u * static_cast<unsigned>(y + 1) + static_cast<unsigned>(x + 1);
        }
    }
    const auto value = [&](int x, int y) -> std::uint32_t {
        if (x < 0 || y < 0 || x >= 4 || y >= 3) {
            return 0;
        }
        return source[static_cast<std::size_t>(y * 4 + x)];
    };
    const Rect rects[] = {{1, 1, 2, 2}, {-2, -1, 3, 3}, {2, 1, 5, 4}, {-5, -5, 2, 2},
                          {0, 0, 4, 3}, {5, 0, 1, 1},   {0, 0, 0, 0}};
    for (const auto& r : rects) {
        const Image image = CopyRegion(source.data(), 4, 3, r.left, r.top, r.width, r.height);
        ASSERT_EQ(image.width(), std::max(r.width, 0));
        ASSERT_EQ(image.height(), std::max(r.height, 0));
        for (int y = 0; y < r.height; ++y) {
            for (int x = 0; x < r.width; ++x) {
                EXPECT_EQ(image.at(x, y), value(r.left + x, r.top + y))
                    << r.left << ',' << r.top << " at " << x << ',' << y;
            }
        }
    }
}

} // namespace
} // namespace snarvik

namespace snarvik {
namespace {

TEST(StepSquare, StepsThroughTheIconSizesAndStopsAtTheEnds) {
    const struct {
        std::int32_t side;
        int steps;
        std::int32_t stepped;
    } cases[] = {{16, 1, 20},  {256, 1, 256}, {64, -1, 48}, {16, -1, 16},  {32, 6, 256},
                 {64, -9, 16}, {30, 1, 32},   {30, -1, 24}, {300, -1, 256}};
    for (const auto& c : cases) {
        EXPECT_EQ(StepSquare(c.side, c.steps), c.stepped) << c.side << " " << c.steps;
    }
}

} // namespace
} // namespace snarvik
