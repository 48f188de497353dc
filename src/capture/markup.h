// Marks drawn over a selection: what each tool makes of the pointer, in the picture's own pixels
// ((0, 0) is the selection's top-left). Drawing them is the Win32 side's; pixelation is here.
#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/image.h"
#include "capture/geometry.h"

namespace snarvik {

enum class MarkTool : std::uint8_t {
    Rectangle,
    Ellipse,
    Arrow,
    Line,
    Pen,
    Highlighter,
    Text,
    Step,
    Pixelate,
};
inline constexpr int kMarkToolCount = 9;

// The tool a letter key picks ('R', 'E', 'A', 'L', 'P', 'H', 'T', 'N', 'X', either case).
std::optional<MarkTool> ToolOfKey(char32_t key);

// The colours offered, 0xAARRGGBB, opaque: red, orange, yellow, green, blue, purple, black, white.
inline constexpr std::array<std::uint32_t, 8> kMarkColours = {
    0xFFE53935, 0xFFFB8C00, 0xFFFDD835, 0xFF43A047, 0xFF1E88E5, 0xFF8E24AA, 0xFF000000, 0xFFFFFFFF,
};
// Stroke widths at 100 % (96 DPI): thin, medium, thick.
inline constexpr std::array<int, 3> kMarkWidths = {2, 4, 8};
// How much of the picture shows through the highlighter, of 255.
inline constexpr std::uint8_t kHighlighterAlpha = 96;
// The highlighter's stroke is this many times its pen's width: a marker, not a line.
inline constexpr int kHighlighterWidthFactor = 3;

// What a new mark is drawn with, in the picture's pixels on a monitor of `dpi`.
struct MarkPen {
    std::uint32_t colour = kMarkColours[0];
    int width = kMarkWidths[1]; // a stroke
    int size = 0;               // text's em height; a step's radius; a pixelation block
};
// The pen for colour and width by index (clamped to the offered ones), scaled to dpi.
MarkPen PenFor(int colourIndex, int widthIndex, int dpi);

struct Mark {
    MarkTool tool = MarkTool::Rectangle;
    MarkPen pen;
    // Rectangle, ellipse, pixelate: two corners. Arrow, line: from and to. Pen, highlighter: the
    // path. Step: the centre. Text: the top-left of its first line.
    std::vector<Point> points;
    std::u16string text; // lines split by '\n'
    int number = 0;      // a step's
};

// The rectangle two opposite corners span, corners included.
Rect Span(Point a, Point b);
// The point a drag from `from` ends at: with shift, a square for rectangles, ellipses and
// pixelation, and a direction that is a multiple of 45 degrees for lines and arrows.
Point Constrain(MarkTool tool, Point from, Point to, bool shift);
// Every pixel the mark may touch, antialiasing included; for text only its first point (the
// drawing side measures text).
Rect Bounds(const Mark& mark);

// The filled head of an arrow from `from` to `to`: its tip, then the two back corners; and the
// point where the shaft should stop so that its end is hidden under the head.
struct ArrowHead {
    std::array<float, 2> tip, left, right, shaftEnd;
};
ArrowHead HeadOf(Point from, Point to, int width);

// Hides what lies in box for good: each block gets a colour made only from the pixels in a band
// around the box (outside it) and from the box's size, with a slight variation per block, so no
// pixel inside can be read back. Parts of box outside the picture are left out.
void Pixelate(Image& picture, const Rect& box, int block);

// The finished marks, in the order drawn, with what was undone to redo.
class MarkList {
public:
    // Ends what could be redone.
    void Add(Mark mark);
    bool Undo();
    bool Redo();
    bool canUndo() const noexcept { return !m_marks.empty(); }
    bool canRedo() const noexcept { return !m_undone.empty(); }
    void Clear();
    const std::vector<Mark>& marks() const noexcept { return m_marks; }
    // One past the number of the last step still there; 1 with none.
    int NextStepNumber() const;
    // Changes whenever the marks do: what was composed of them is stale when it differs.
    std::uint64_t version() const noexcept { return m_version; }

private:
    std::vector<Mark> m_marks;
    std::vector<Mark> m_undone;
    std::uint64_t m_version = 0;
};

} // namespace snarvik
