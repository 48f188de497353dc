// Marks composed onto a known picture by the system's drawing library: each changes pixels
// only where it says it may, a thick line has the chosen colour at its middle, the highlighter
// lets the picture through, and text is drawn in a font the system has.
#include <windows.h>

#include <gtest/gtest.h>

#include "support/pattern.h"
#include "ui/mark_painter.h"

namespace snarvik {
namespace {

constexpr std::uint32_t kRgb = 0x00FFFFFF;

Mark MarkOf(MarkTool tool, std::vector<Point> points, std::uint32_t colour = kMarkColours[4]) {
    Mark mark;
    mark.tool = tool;
    mark.pen = {colour, 6, 20};
    mark.points = std::move(points);
    return mark;
}

class MarkPainterTest : public testing::Test {
protected:
    GdiplusSession m_session;
    MarkPainter m_painter;
    const Image m_picture = testing_support::PatternImage(200, 150);
};

TEST_F(MarkPainterTest, EachMarkChangesPixelsOnlyWhereItSays) {
    Mark text = MarkOf(MarkTool::Text, {{20, 30}});
    text.text = u"Wx\ny";
    Mark step = MarkOf(MarkTool::Step, {{100, 70}});
    step.number = 12;
    const Mark marks[] = {
        MarkOf(MarkTool::Rectangle, {{20, 20}, {120, 90}}),
        MarkOf(MarkTool::Ellipse, {{30, 40}, {170, 120}}),
        MarkOf(MarkTool::Arrow, {{10, 140}, {150, 30}}),
        MarkOf(MarkTool::Line, {{5, 5}, {190, 145}}),
        MarkOf(MarkTool::Pen, {{40, 40}, {60, 80}, {90, 45}, {130, 100}}),
        MarkOf(MarkTool::Highlighter, {{20, 75}, {180, 75}}, kMarkColours[2]),
        MarkOf(MarkTool::Pixelate, {{60, 50}, {119, 89}}),
        text,
        step,
        MarkOf(MarkTool::Rectangle, {{150, 100}, {260, 200}}), // partly off the picture
    };
    for (const Mark& mark : marks) {
        SCOPED_TRACE(static_cast<int>(mark.tool));
        Image picture = m_picture;
        ComposeMarks(picture, {&mark, 1}, m_painter);
        const Rect extent = mark.tool == MarkTool::Pixelate
                                ? Span(mark.points.front(), mark.points.back())
                                : m_painter.Extent(mark);
        int changedInside = 0;
        for (int y = 0; y < picture.height(); ++y) {
            for (int x = 0; x < picture.width(); ++x) {
                const bool changed = (picture.at(x, y) & kRgb) != (m_picture.at(x, y) & kRgb);
                if (!extent.contains({x, y})) {
                    ASSERT_FALSE(changed) << "at " << x << "," << y;
                }
                changedInside += changed ? 1 : 0;
            }
        }
        EXPECT_GT(changedInside, 20);
    }
}

TEST_F(MarkPainterTest, ThickLineHasItsColourAtItsMiddleAndHighlighterLetsThePictureThrough) {
    const Mark marks[] = {
        MarkOf(MarkTool::Line, {{10, 40}, {190, 40}}, kMarkColours[0]),
        MarkOf(MarkTool::Highlighter, {{10, 100}, {190, 100}}, kMarkColours[2]),
    };
    Image picture = m_picture;
    ComposeMarks(picture, marks, m_painter);
    // 6 px wide round the middle of row 40: rows 38 to 42 wholly (Wine also fills 43, where
    // Windows blends 37 and 43 half), nothing beyond.
    for (const int y : {38, 40, 42}) {
        EXPECT_EQ(picture.at(100, y) & kRgb, kMarkColours[0] & kRgb) << y;
    }
    for (const int y : {36, 44}) {
        EXPECT_EQ(picture.at(100, y) & kRgb, m_picture.at(100, y) & kRgb) << y;
    }
    // Over the highlighter, between the picture and the pen's yellow.
    const std::uint32_t under = m_picture.at(100, 100), over = picture.at(100, 100);
    const auto channel = [](std::uint32_t pixel, int shift) {
        return static_cast<int>((pixel >> shift) & 0xFF);
    };
    for (const int shift : {16, 8, 0}) {
        const int pen = channel(kMarkColours[2], shift);
        const int expected =
            (channel(under, shift) * (255 - kHighlighterAlpha) + pen * kHighlighterAlpha + 127) /
            255;
        EXPECT_NEAR(channel(over, shift), expected, 3) << "channel at bit " << shift;
    }
}

} // namespace
} // namespace snarvik
