#include "capture/markup.h"
#include "capture/markup_input.h"
#include "capture/markup_toolbar.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace snarvik {
namespace {

using Outcome = MarkOutcome;
using Points = std::vector<Point>;

// A mark as text, to compare marks and show them when they differ.
std::string Describe(const Mark& m) {
    std::ostringstream s;
    s << static_cast<int>(m.tool) << " #" << m.number << " '";
    for (const char16_t c : m.text) {
        s << static_cast<unsigned>(c) << ' ';
    }
    s << "' " << m.pen.colour << "/" << m.pen.width;
    for (const Point& p : m.points) {
        s << " " << p.x << "," << p.y;
    }
    return s.str();
}

std::vector<std::string> Describe(const MarkList& list) {
    std::vector<std::string> all(list.marks().size());
    std::transform(list.marks().begin(), list.marks().end(), all.begin(),
                   [](const Mark& m) { return Describe(m); });
    return all;
}

ToolbarButton Button(ToolbarButton::Kind kind, int index = 0) {
    return {kind, index, {}};
}

ToolbarButton ToolButton(MarkTool tool) {
    return Button(ToolbarButton::Tool, static_cast<int>(tool));
}

Mark MarkOf(MarkTool tool, MarkPen pen, Points points, std::u16string text = {}) {
    return {tool, pen, std::move(points), std::move(text), 0};
}

const Rect kArea{0, 0, 100, 80};

TEST(Markup, KeysPenAndDpi) {
    for (int tool = 0; tool < kMarkToolCount; ++tool) {
        const char32_t letter = U"REALPHTNX"[tool];
        EXPECT_EQ(ToolOfKey(letter), static_cast<MarkTool>(tool));
        EXPECT_EQ(ToolOfKey(letter - U'A' + U'a'), static_cast<MarkTool>(tool));
    }
    EXPECT_EQ(ToolOfKey(U'Q'), std::nullopt);
    EXPECT_EQ(ToolOfKey(U'\x1A'), std::nullopt); // Ctrl+Z as a character
    const struct {
        int colour, width, dpi;
        std::tuple<std::uint32_t, int, int> pen; // colour, width, size
    } cases[] = {
        {7, 2, 192, {0xFFFFFFFF, 16, 56}},
        {-3, 9, 144, {0xFFE53935, 12, 42}}, // indexes clamped
        {4, 0, 10, {0xFF1E88E5, 1, 1}},     // never below a pixel
    };
    for (const auto& c : cases) {
        const MarkPen pen = PenFor(c.colour, c.width, c.dpi);
        EXPECT_EQ(std::tuple(pen.colour, pen.width, pen.size), c.pen)
            << c.colour << "/" << c.width << " at " << c.dpi;
    }
}

TEST(Markup, ShiftMakesSquaresAndEighthTurns) {
    using T = MarkTool;
    const Point from{10, 10};
    const struct {
        MarkTool tool;
        Point to, shifted;
    } cases[] = {
        {T::Rectangle, {5, 30}, {-10, 30}}, // signs kept
        {T::Ellipse, {-10, 4}, {-10, -10}}, {T::Line, {40, 14}, {40, 10}},
        {T::Line, {12, -30}, {10, -30}},    {T::Arrow, {30, 26}, {28, 28}},
        {T::Arrow, {-5, 27}, {-6, 26}},                                     // 39 and 131 degrees
        {T::Arrow, {30, 18}, {30, 10}},     {T::Arrow, {30, 19}, {25, 25}}, // 21.8 and 24.2
        {T::Pen, {17, 3}, {17, 3}},         {T::Step, {17, 3}, {17, 3}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << static_cast<int>(c.tool) << " to " << c.to.x << "," << c.to.y);
        EXPECT_EQ(Constrain(c.tool, from, c.to, false), c.to);
        EXPECT_EQ(Constrain(c.tool, from, c.to, true), c.shifted);
    }
}

// Presses at the path's first point, moves along it and releases at its last.
MarkOutcome Drag(MarkupInput& input, const Points& path, bool shift = false) {
    input.Press(path.front(), shift);
    for (std::size_t i = 1; i + 1 < path.size(); ++i) {
        input.Move(path[i], shift);
    }
    return input.Release(path.back(), shift);
}

void Type(MarkupInput& input, const std::u16string& text) {
    for (const char16_t c : text) {
        input.Character(c);
    }
}

TEST(MarkupInput, ADragMakesEachToolsMark) {
    using T = MarkTool;
    const struct {
        MarkTool tool;
        bool shift;
        Points path, expected;
    } cases[] = {
        {T::Rectangle, true, {{10, 10}, {15, 30}}, {{10, 10}, {30, 30}}},
        {T::Ellipse, false, {{10, 10}, {15, 30}}, {{10, 10}, {15, 30}}},
        {T::Arrow, true, {{10, 10}, {50, 50}, {30, 26}}, {{10, 10}, {28, 28}}},
        {T::Line, false, {{10, 10}, {30, 26}}, {{10, 10}, {30, 26}}},
        {T::Pen, true, {{10, 10}, {12, 10}, {12, 10}, {15, 30}}, {{10, 10}, {12, 10}, {15, 30}}},
        {T::Highlighter, false, {{10, 10}, {15, 30}, {15, 30}}, {{10, 10}, {15, 30}}},
        {T::Pixelate, true, {{10, 10}, {5, 30}}, {{10, 10}, {-10, 30}}},
        {T::Pen, false, {{10, 10}, {10, 10}}, {{10, 10}}},         // a dot
        {T::Rectangle, false, {{10, 10}, {20, 20}, {10, 10}}, {}}, // a click: nothing
        {T::Arrow, true, {{10, 10}, {10, 10}}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "tool " << static_cast<int>(c.tool));
        MarkupInput input;
        input.Begin(kArea, {static_cast<int>(c.tool), 3, 2}, 192);
        EXPECT_EQ(Drag(input, c.path, c.shift), Outcome::Changed);
        EXPECT_EQ(input.current(), nullptr);
        EXPECT_EQ(input.Release(c.path.back(), c.shift), Outcome::None);
        const Mark made = MarkOf(c.tool, PenFor(3, 2, 192), c.expected);
        EXPECT_EQ(Describe(input.list()),
                  c.expected.empty() ? std::vector<std::string>{} : std::vector{Describe(made)});
    }
}

TEST(MarkupInput, UndoAndRedoWalkBackAndForthOverEveryTool) {
    MarkupInput input;
    input.Begin(kArea, {}, 96);
    for (int tool = 0; tool < kMarkToolCount; ++tool) {
        EXPECT_EQ(input.Button(ToolButton(static_cast<MarkTool>(tool))), Outcome::Changed);
        EXPECT_EQ(input.Button(Button(ToolbarButton::Colour, tool % 8)), Outcome::Changed);
        const Point at{tool * 5, tool * 3};
        Drag(input, {at, {at.x + 20, at.y + 9}, {at.x + 30, at.y + 9}});
        Type(input, u"T");
        input.Key(MarkKey::Enter, false, false);
    }
    const std::vector<std::string> drawn = Describe(input.list());
    ASSERT_EQ(drawn.size(), static_cast<std::size_t>(kMarkToolCount));
    std::set<std::uint64_t> versions{input.list().version()};
    for (int i = 0; i < kMarkToolCount; ++i) {
        EXPECT_EQ(input.Key(MarkKey::Undo, false, true), Outcome::Changed);
        EXPECT_TRUE(versions.insert(input.list().version()).second);
    }
    EXPECT_TRUE(input.list().marks().empty());
    EXPECT_EQ(input.Key(MarkKey::Undo, false, true), Outcome::None);
    EXPECT_EQ(versions.count(input.list().version()), 1u) << "nothing undone, nothing stale";
    for (int i = 0; i < kMarkToolCount; ++i) {
        EXPECT_EQ(input.Button(Button(ToolbarButton::Redo)), Outcome::Changed);
    }
    EXPECT_EQ(input.Key(MarkKey::Redo, false, true), Outcome::None);
    EXPECT_EQ(Describe(input.list()), drawn);

    // A new mark ends what could be redone; a second Mark Up keeps the marks; so does Escape.
    input.Button(Button(ToolbarButton::Undo));
    input.Begin(kArea, {static_cast<int>(MarkTool::Line)}, 96);
    Drag(input, {{1, 1}, {9, 9}});
    EXPECT_FALSE(input.list().canRedo());
    EXPECT_EQ(input.Key(MarkKey::Escape, false, false), Outcome::Done);
    EXPECT_EQ(input.list().marks().size(), drawn.size());
    EXPECT_EQ(input.Button(Button(ToolbarButton::Drop)), Outcome::Drop);
    EXPECT_FALSE(input.list().canUndo() || input.list().canRedo());
}

TEST(MarkupInput, StepsNumberOnFromTheLastOneStillThere) {
    MarkupInput input;
    input.Begin(kArea, {static_cast<int>(MarkTool::Step)}, 96);
    const auto numbers = [&] {
        std::vector<int> all;
        for (const Mark& m : input.list().marks()) {
            all.push_back(m.number);
        }
        return all;
    };
    for (int x : {10, 20, 30}) {
        EXPECT_EQ(input.Press({x, 10}, false), Outcome::Changed);
        EXPECT_EQ(input.Release({x, 10}, false), Outcome::None);
    }
    EXPECT_EQ(input.Press({100, 10}, false), Outcome::None) << "outside the picture";
    EXPECT_EQ(numbers(), (std::vector{1, 2, 3}));
    input.Key(MarkKey::Undo, false, true);
    input.Press({30, 10}, false);
    EXPECT_EQ(numbers(), (std::vector{1, 2, 3}));
    input.Key(MarkKey::Undo, false, true);
    input.Key(MarkKey::Undo, false, true);
    input.Button(ToolButton(MarkTool::Line)); // a mark between steps does not count
    Drag(input, {{0, 0}, {5, 5}});
    input.Button(ToolButton(MarkTool::Step));
    input.Press({40, 40}, false);
    EXPECT_EQ(numbers(), (std::vector{1, 0, 2}));
}

TEST(MarkupInput, TypingTakesCharactersAndEndsOnEnterOrAClick) {
    MarkupInput input;
    input.Begin(kArea, {static_cast<int>(MarkTool::Text), 6, 0}, 96);
    EXPECT_EQ(input.Character(u'a'), Outcome::None) << "not typing yet";
    EXPECT_EQ(input.Press({100, 5}, false), Outcome::None) << "outside the picture";
    EXPECT_EQ(input.Press({5, 6}, false), Outcome::Changed);
    for (const char16_t c : u"Hi\r\x7F\x01") {
        EXPECT_EQ(input.Character(c), c >= 0x20 && c != 0x7F ? Outcome::Changed : Outcome::None);
    }
    EXPECT_EQ(input.Key(MarkKey::Letter, false, false, U'R'), Outcome::None);
    EXPECT_EQ(input.Key(MarkKey::Redo, false, true), Outcome::None);
    EXPECT_EQ(input.Key(MarkKey::Enter, true, false), Outcome::Changed);
    Type(input, u"x\U0001F600");
    EXPECT_EQ(input.current()->text, u"Hi\nx\U0001F600");
    for (const char16_t* expected : {u"Hi\nx", u"Hi\n", u"Hi", u"H", u""}) {
        EXPECT_EQ(input.Key(MarkKey::Backspace, false, false), Outcome::Changed);
        EXPECT_EQ(input.current()->text, expected);
    }
    EXPECT_EQ(input.Key(MarkKey::Backspace, false, false), Outcome::None);
    Type(input, u"OK");
    input.Button(Button(ToolbarButton::Width, 2)); // the text being typed takes it
    EXPECT_EQ(input.Key(MarkKey::Enter, false, false), Outcome::Changed);
    EXPECT_FALSE(input.typing());
    EXPECT_EQ(input.choice().tool, static_cast<int>(MarkTool::Text)) << "letters did not switch";
    EXPECT_EQ(Describe(input.list()),
              std::vector{Describe(MarkOf(MarkTool::Text, PenFor(6, 2, 96), {{5, 6}}, u"OK"))});

    // Escape and Undo drop only the text being typed; empty text leaves no mark.
    for (const MarkKey drop : {MarkKey::Escape, MarkKey::Undo, MarkKey::Enter}) {
        input.Press({20, 20}, false);
        Type(input, drop == MarkKey::Enter ? u"  " : u"z");
        EXPECT_EQ(input.Key(drop, false, drop == MarkKey::Undo), Outcome::Changed);
        EXPECT_FALSE(input.typing());
    }
    EXPECT_EQ(input.list().marks().size(), 1u);

    // A click elsewhere only ends the typing; so does a tool, and Done.
    input.Press({30, 30}, false);
    Type(input, u"b");
    EXPECT_EQ(input.Press({60, 60}, false), Outcome::Changed);
    EXPECT_EQ(input.current(), nullptr);
    input.Press({40, 40}, false);
    Type(input, u"c");
    EXPECT_EQ(input.Button(ToolButton(MarkTool::Ellipse)), Outcome::Changed);
    EXPECT_EQ(input.Key(MarkKey::Letter, false, true, U't'), Outcome::None) << "Ctrl+T";
    EXPECT_EQ(input.Key(MarkKey::Letter, false, false, U't'), Outcome::Changed);
    input.Press({50, 50}, false);
    Type(input, u"d");
    EXPECT_EQ(input.Button(Button(ToolbarButton::Done)), Outcome::Done);
    std::u16string texts;
    for (const Mark& m : input.list().marks()) {
        texts += m.text;
    }
    EXPECT_EQ(texts, u"OKbcd");
}

// A picture of noise, and the same with other noise inside box.
std::pair<Image, Image> TwinsDifferingInside(int width, int height, const Rect& box) {
    std::mt19937 random(7);
    const auto noise = [&] {
        return static_cast<std::uint32_t>(random()) | 0xFF000000u;
    };
    Image a(width, height);
    std::generate(a.pixels().begin(), a.pixels().end(), noise);
    Image b = a;
    for (int y = box.top; y < box.bottom(); ++y) {
        std::generate(b.row(y) + box.left, b.row(y) + box.right(), noise);
    }
    return {a, b};
}

// The highlighter stood in for: its colour over every pixel of box, at its alpha.
void Highlight(Image& picture, const Rect& box, std::uint32_t colour) {
    const auto blend = [](std::uint32_t over, std::uint32_t under) {
        return (over * kHighlighterAlpha + under * (255u - kHighlighterAlpha)) / 255;
    };
    for (int y = box.top; y < box.bottom(); ++y) {
        for (int x = box.left; x < box.right(); ++x) {
            const std::uint32_t p = picture.at(x, y);
            picture.row(y)[x] = 0xFF000000u | blend(colour >> 16 & 0xFF, p >> 16 & 0xFF) << 16 |
                                blend(colour >> 8 & 0xFF, p >> 8 & 0xFF) << 8 |
                                blend(colour & 0xFF, p & 0xFF);
        }
    }
}

TEST(MarkupPixelate, BlocksComeOnlyFromAroundTheBox) {
    const int block = 8;
    const struct {
        Rect box;
        bool highlighted;
    } cases[] = {
        {{16, 12, 30, 20}, false},  {{16, 12, 30, 20}, true}, // inside, a partial last block
        {{-5, -5, 30, 30}, false},                            // over the top-left corner
        {{40, 30, 100, 100}, true},                           // over the bottom-right
        {{0, 0, 64, 48}, false},                              // the whole picture
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.box.left << "," << c.box.top << " " << c.box.width
                                        << "x" << c.box.height);
        const Rect clip = Intersect(c.box, {0, 0, 64, 48});
        auto [a, b] = TwinsDifferingInside(64, 48, clip);
        const Image before = a;
        if (c.highlighted) {
            Highlight(a, clip, kMarkColours[2]);
            Highlight(b, clip, kMarkColours[2]);
        }
        Pixelate(a, c.box, block);
        Pixelate(b, c.box, block);
        EXPECT_EQ(a, b) << "what was inside shows through";
        std::set<std::uint32_t> colours;
        for (int y = 0; y < 48; ++y) {
            for (int x = 0; x < 64; ++x) {
                if (!clip.contains({x, y})) {
                    ASSERT_EQ(a.at(x, y), before.at(x, y)) << x << "," << y << " outside";
                    continue;
                }
                const int x0 = clip.left + (x - clip.left) / block * block;
                const int y0 = clip.top + (y - clip.top) / block * block;
                ASSERT_EQ(a.at(x, y), a.at(x0, y0)) << x << "," << y << " in its block";
                ASSERT_EQ(a.at(x, y) >> 24, 0xFFu);
                colours.insert(a.at(x, y));
            }
        }
        EXPECT_GE(colours.size(), 4u) << "a mosaic, not a flat fill";
    }
}

// Each block takes the colour around it, give or take a little: grey with nothing around.
TEST(MarkupPixelate, BlocksShadeFromTheBandsAround) {
    const struct {
        std::uint32_t top, bottom; // of the picture's halves
        Rect box;
        int near; // how near the band's colour the box's first and last rows stay
    } cases[] = {
        {0xFF00C000, 0xFF00C000, {8, 8, 40, 32}, 12},
        {0xFFF00000, 0xFF0000F0, {8, 8, 40, 32}, 40}, // the far band pulls
        {0xFF000000, 0xFF000000, {-1, -1, 60, 60}, 12},
    };
    for (const auto& c : cases) {
        Image picture(56, 48, c.bottom);
        std::fill(picture.row(0), picture.row(24), c.top);
        Pixelate(picture, c.box, 8);
        const Rect clip = Intersect(c.box, {0, 0, 56, 48});
        for (const int y : {clip.top, clip.bottom() - 1}) {
            const std::uint32_t band = clip.width == 56 ? 0xFF808080 : y < 24 ? c.top : c.bottom;
            for (int x = clip.left; x < clip.right(); ++x) {
                for (int at : {0, 8, 16}) {
                    ASSERT_NEAR(picture.at(x, y) >> at & 0xFF, band >> at & 0xFF, c.near)
                        << x << "," << y;
                }
            }
        }
    }
    Image picture(10, 10, 0xFF123456);
    const Image before = picture;
    Pixelate(picture, {10, 0, 5, 5}, 4);
    Pixelate(picture, {2, 2, 5, 5}, 0);
    EXPECT_EQ(picture, before) << "off the picture, or no block";
    Pixelate(picture, {2, 3, 5, 4}, std::numeric_limits<int>::max());
    EXPECT_NEAR(picture.at(6, 6) & 0xFF, 0x56, 12) << "one block, from around it";
    EXPECT_EQ(picture.at(2, 3), picture.at(6, 6));
}

TEST(MarkupToolbar, OneRowBesideTheSelectionOnItsMonitor) {
    const ToolbarLayout at96 = LayoutToolbar({100, 100, 400, 300}, {0, 0, 1920, 1080}, 96);
    EXPECT_EQ(at96.bar, (Rect{100, 404, 662, 32}));
    ASSERT_EQ(at96.buttons.size(), 24u);
    EXPECT_EQ(LayoutToolbar({100, 100, 400, 300}, {0, 0, 3840, 2160}, 192).bar,
              (Rect{100, 408, 1324, 64}));
    EXPECT_EQ(TooltipOf(at96.buttons[7]), u"Numbered step (N)");
    // Which button a point hits, by its place in the row; -1 for none.
    for (const auto& [at, index] : {std::pair<Point, int>{{4, 4}, 0},
                                    {{28, 10}, -1},
                                    {{250, 10}, 9},
                                    {{645, 20}, 23},
                                    {{0, 0}, -1}}) {
        EXPECT_EQ(ButtonAt(at96, at),
                  index < 0 ? std::nullopt
                            : std::optional(at96.buttons[static_cast<std::size_t>(index)]))
            << at.x << "," << at.y;
    }

    const Rect primary{0, 0, 1920, 1080};
    const Rect leftAbove{-1280, -1024, 1280, 1024};
    const struct {
        Rect selection, monitor;
        Point expected;
    } cases[] = {
        {{100, 700, 400, 360}, primary, {100, 664}},              // no room below: above
        {{100, 10, 400, 1060}, primary, {100, 1034}},             // nor above: inside
        {{0, 0, 1920, 1080}, primary, {0, 1044}},                 // the whole screen
        {{1500, 100, 300, 300}, primary, {1258, 404}},            // kept off the right edge
        {{-1270, -500, 200, 500}, leftAbove, {-1270, -536}},      // above, on a monitor up left
        {{-100, -1020, 100, 1010}, leftAbove, {-662, -46}},       // inside
        {{-700, -50, 50, 20}, {-800, -60, 800, 60}, {-700, -60}}, // inside, kept on it
        {{-450, 10, 100, 100}, {-500, 0, 400, 300}, {-500, 114}}, // wider than its monitor
    };
    for (const auto& c : cases) {
        EXPECT_EQ(LayoutToolbar(c.selection, c.monitor, 96).bar,
                  (Rect{c.expected.x, c.expected.y, 662, 32}))
            << c.selection.left << "," << c.selection.top;
    }
}

} // namespace
} // namespace snarvik
