#include "capture/selection.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace snarvik {
namespace {

struct Step {
    char kind; // 'p' press, 'm' move, 'r' release (grow), 's' closing step (size = limit)
    int x, y;
};

struct Sequence {
    const char* name;
    std::int32_t limit;
    std::vector<Step> steps;
    Rect expected;
    bool visible;
    LineStyle style;
};

TEST(SelectionFrame, FollowsPressMoveReleaseSequences) {
    const Sequence sequences[] = {
        {"press and release at one point",
         0,
         {{'p', 50, 60}, {'r', 0, 0}},
         {49, 59, 2, 2},
         true,
         LineStyle::Solid},
        {"free drag down and right",
         0,
         {{'p', 10, 20}, {'m', 30, 25}, {'m', 40, 70}, {'r', 0, 0}},
         {9, 19, 32, 52},
         true,
         LineStyle::Solid},
        {"dragging up keeps the last height, right still grows",
         0,
         {{'p', 100, 100}, {'m', 120, 130}, {'m', 140, 90}},
         {100, 100, 40, 30},
         true,
         LineStyle::Dotted},
        {"straight up and left gives zero",
         0,
         {{'p', 100, 100}, {'m', 80, 70}},
         {100, 100, 0, 0},
         true,
         LineStyle::Dotted},
        {"limit 64 pressed at (10,10)",
         64,
         {{'p', 10, 10}},
         {-54, -54, 64, 64},
         true,
         LineStyle::Dotted},
        {"limit 32 follows the pointer, dotted, ends at it",
         32,
         {{'m', 200, 300}, {'p', 210, 310}, {'m', 220, 330}, {'r', 0, 0}},
         {187, 297, 34, 34},
         true,
         LineStyle::Solid},
        {"limited moves before any press show the square",
         16,
         {{'m', 40, 40}},
         {24, 24, 0, 0},
         true,
         LineStyle::Dotted},
        {"any-size moves before a press stretch the hidden frame from where it was",
         0,
         {{'s', 0, 0}, {'m', 15, 25}},
         {0, 0, 15, 25},
         false,
         LineStyle::Dotted},
        {"moves after a dismissed menu resize the solid frame from one pixel up-left",
         0,
         {{'p', 100, 100}, {'m', 150, 150}, {'r', 0, 0}, {'m', 130, 170}},
         {99, 99, 31, 71},
         true,
         LineStyle::Solid},
        {"a dotted square turns solid on release and dotted on the next move",
         16,
         {{'p', 100, 100}, {'r', 0, 0}, {'m', 50, 50}},
         {34, 34, 18, 18},
         true,
         LineStyle::Dotted},
    };
    for (const auto& s : sequences) {
        SelectionFrame frame;
        for (const auto& step : s.steps) {
            switch (step.kind) {
            case 'p':
                frame.Press(step.x, step.y, s.limit);
                break;
            case 'm':
                frame.Move(step.x, step.y, s.limit);
                break;
            case 'r':
                frame.Grow();
                break;
            case 's':
                frame.SetSize(s.limit);
                break;
            }
        }
        EXPECT_EQ(frame.rect(), s.expected) << s.name;
        EXPECT_EQ(frame.visible(), s.visible) << s.name;
        EXPECT_EQ(frame.style(), s.style) << s.name;
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
        ASSERT_EQ(image.width, r.width);
        ASSERT_EQ(image.height, r.height);
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
