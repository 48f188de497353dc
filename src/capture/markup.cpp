#include "capture/markup.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numbers>
#include <string_view>

namespace snarvik {

namespace {

// Text's em height, a step's radius and a pixelation block at 96 DPI, by width.
constexpr std::array<int, 3> kMarkSizes = {14, 20, 28};
constexpr std::uint32_t kMidGrey = 0x808080;
// How far a pixelation block's colour strays from its neighbours', either way.
constexpr int kBlockVariation = 12;

int ScaledToDpi(int pixels, int dpi) {
    const int at = dpi <= 0 ? 96 : dpi;
    return std::max(1, static_cast<int>(std::lround(static_cast<double>(pixels) * at / 96.0)));
}

Rect SpanOfAll(const std::vector<Point>& points) {
    Point low = points.front();
    Point high = points.front();
    for (const Point& p : points) {
        low = {std::min(low.x, p.x), std::min(low.y, p.y)};
        high = {std::max(high.x, p.x), std::max(high.y, p.y)};
    }
    return Span(low, high);
}

// Red, green and blue summed over some pixels, and how many.
struct ColourSum {
    std::uint64_t r = 0, g = 0, b = 0, count = 0;

    void Add(std::uint32_t pixel) {
        r += (pixel >> 16) & 0xFF;
        g += (pixel >> 8) & 0xFF;
        b += pixel & 0xFF;
        ++count;
    }
};

struct Rgb {
    int r = 0, g = 0, b = 0;
};

std::optional<Rgb> Average(const ColourSum& sum) {
    if (sum.count == 0) {
        return std::nullopt;
    }
    const auto mean = [&](std::uint64_t total) {
        return static_cast<int>((total + sum.count / 2) / sum.count);
    };
    return Rgb{mean(sum.r), mean(sum.g), mean(sum.b)};
}

// Between a (at 0) and b (at den), at num; either alone when the other is missing.
std::optional<Rgb> Between(const std::optional<Rgb>& a, const std::optional<Rgb>& b, int num,
                           int den) {
    if (!a || !b) {
        return a ? a : b;
    }
    const auto mix = [&](int x, int y) {
        return x + (y - x) * num / den;
    };
    return Rgb{mix(a->r, b->r), mix(a->g, b->g), mix(a->b, b->b)};
}

// -kBlockVariation..kBlockVariation, the same for the same block of the same box.
int VariationOf(int column, int row, int width, int height) {
    std::uint32_t h = static_cast<std::uint32_t>(column) * 0x9E3779B1u;
    h ^= static_cast<std::uint32_t>(row) * 0x85EBCA77u;
    h ^= static_cast<std::uint32_t>(width) * 0xC2B2AE3Du;
    h ^= static_cast<std::uint32_t>(height) * 0x27D4EB2Fu;
    h ^= h >> 15;
    h *= 0x2C1B3C6Du;
    h ^= h >> 12;
    h *= 0x297A2D39u;
    h ^= h >> 15;
    return static_cast<int>(h % (2 * kBlockVariation + 1)) - kBlockVariation;
}

std::uint32_t Opaque(Rgb c, int offset) {
    const auto channel = [&](int v) {
        return static_cast<std::uint32_t>(std::clamp(v + offset, 0, 255));
    };
    return 0xFF000000u | channel(c.r) << 16 | channel(c.g) << 8 | channel(c.b);
}

// Each block's average of a band's pixels along one side of the box, blocks of `block` over
// `length`, or none when the band is 0 deep; `at(k, d)` is the band's pixel k along the side, d
// across it.
template <typename PixelAt>
std::vector<std::optional<Rgb>> BandAverages(int length, int depth, int block, PixelAt at) {
    std::vector<ColourSum> sums(static_cast<std::size_t>((length + block - 1) / block));
    for (int d = 0; d < depth; ++d) {
        for (int k = 0; k < length; ++k) {
            sums[static_cast<std::size_t>(k / block)].Add(at(k, d));
        }
    }
    std::vector<std::optional<Rgb>> averages;
    averages.reserve(sums.size());
    for (const ColourSum& sum : sums) {
        averages.push_back(Average(sum));
    }
    return averages;
}

} // namespace

std::optional<MarkTool> ToolOfKey(char32_t key) {
    // Each tool's letter, in the order of MarkTool.
    constexpr std::u32string_view letters = U"REALPHTNX";
    const char32_t upper = key >= U'a' && key <= U'z' ? key - U'a' + U'A' : key;
    const std::size_t index = letters.find(upper);
    if (index == std::u32string_view::npos) {
        return std::nullopt;
    }
    return static_cast<MarkTool>(index);
}

MarkPen PenFor(int colourIndex, int widthIndex, int dpi) {
    const auto colour =
        static_cast<std::size_t>(std::clamp(colourIndex, 0, int{kMarkColours.size()} - 1));
    const auto width =
        static_cast<std::size_t>(std::clamp(widthIndex, 0, int{kMarkWidths.size()} - 1));
    return {kMarkColours[colour], ScaledToDpi(kMarkWidths[width], dpi),
            ScaledToDpi(kMarkSizes[width], dpi)};
}

Rect Span(Point a, Point b) {
    return {std::min(a.x, b.x), std::min(a.y, b.y), std::abs(b.x - a.x) + 1,
            std::abs(b.y - a.y) + 1};
}

Point Constrain(MarkTool tool, Point from, Point to, bool shift) {
    const int dx = to.x - from.x;
    const int dy = to.y - from.y;
    const int sx = dx < 0 ? -1 : 1;
    const int sy = dy < 0 ? -1 : 1;
    if (!shift) {
        return to;
    }
    switch (tool) {
    case MarkTool::Rectangle:
    case MarkTool::Ellipse:
    case MarkTool::Pixelate: {
        const int side = std::max(std::abs(dx), std::abs(dy));
        return {from.x + sx * side, from.y + sy * side};
    }
    case MarkTool::Arrow:
    case MarkTool::Line: {
        if (dx == 0 && dy == 0) {
            return to;
        }
        const double eighth = std::numbers::pi / 4;
        const long octant = (std::lround(std::atan2(dy, dx) / eighth) + 8) % 8;
        if (octant % 4 == 0) {
            return {to.x, from.y};
        }
        if (octant % 4 == 2) {
            return {from.x, to.y};
        }
        const int d = (std::abs(dx) + std::abs(dy) + 1) / 2;
        return {from.x + sx * d, from.y + sy * d};
    }
    default:
        return to;
    }
}

Rect Bounds(const Mark& mark) {
    if (mark.points.empty()) {
        return {};
    }
    const Point first = mark.points.front();
    const int width = mark.pen.width;
    switch (mark.tool) {
    case MarkTool::Rectangle:
    case MarkTool::Ellipse:
        return Grown(Span(first, mark.points.back()), width / 2 + 2);
    case MarkTool::Pixelate:
        return Span(first, mark.points.back());
    case MarkTool::Arrow: {
        const int headHalfWidth = 2 * width + 3;
        return Grown(Span(first, mark.points.back()), headHalfWidth + width + 2);
    }
    case MarkTool::Highlighter:
        return Grown(SpanOfAll(mark.points), kHighlighterWidthFactor * width / 2 + 2);
    case MarkTool::Line:
    case MarkTool::Pen:
        return Grown(SpanOfAll(mark.points), width / 2 + 2);
    case MarkTool::Step:
        return Grown(Span(first, first), mark.pen.size + 2);
    case MarkTool::Text:
        return {first.x, first.y, 1, 1};
    }
    return {};
}

ArrowHead HeadOf(Point from, Point to, int width) {
    const std::array tip{static_cast<float>(to.x), static_cast<float>(to.y)};
    const float dx = static_cast<float>(to.x - from.x);
    const float dy = static_cast<float>(to.y - from.y);
    const float length = std::hypot(dx, dy);
    if (length == 0.0F) {
        return {tip, tip, tip, tip};
    }
    const float ux = dx / length;
    const float uy = dy / length;
    const float headLength = std::min(4.0F * static_cast<float>(width) + 6.0F, length);
    const float halfWidth = 2.0F * static_cast<float>(width) + 3.0F;
    const float backX = tip[0] - headLength * ux;
    const float backY = tip[1] - headLength * uy;
    // Left as seen going along the arrow, with y growing downwards.
    const float nx = uy;
    const float ny = -ux;
    return {tip,
            {backX + halfWidth * nx, backY + halfWidth * ny},
            {backX - halfWidth * nx, backY - halfWidth * ny},
            {tip[0] - 0.8F * headLength * ux, tip[1] - 0.8F * headLength * uy}};
}

void Pixelate(Image& picture, const Rect& box, int block) {
    const Rect clip = Intersect(box, {0, 0, picture.width(), picture.height()});
    if (clip.width <= 0 || clip.height <= 0 || block < 1) {
        return;
    }
    // A block wider than the picture is no different, and keeps the sums below from overflowing.
    block = std::min(block, std::max(picture.width(), picture.height()));
    // How deep each band reaches outside the box before the picture's edge.
    const int above = std::min(block, clip.top);
    const int below = std::min(block, picture.height() - clip.bottom());
    const int leftOf = std::min(block, clip.left);
    const int rightOf = std::min(block, picture.width() - clip.right());
    const Image& in = picture;
    const auto tops = BandAverages(clip.width, above, block, [&](int k, int d) {
        return in.at(clip.left + k, clip.top - 1 - d);
    });
    const auto bottoms = BandAverages(clip.width, below, block, [&](int k, int d) {
        return in.at(clip.left + k, clip.bottom() + d);
    });
    const auto lefts = BandAverages(clip.height, leftOf, block, [&](int k, int d) {
        return in.at(clip.left - 1 - d, clip.top + k);
    });
    const auto rights = BandAverages(clip.height, rightOf, block, [&](int k, int d) {
        return in.at(clip.right() + d, clip.top + k);
    });
    const int columns = static_cast<int>(tops.size());
    const int rows = static_cast<int>(lefts.size());
    for (int j = 0; j < rows; ++j) {
        const int y0 = clip.top + j * block;
        const int y1 = std::min(y0 + block, clip.bottom());
        const auto row = static_cast<std::size_t>(j);
        for (int i = 0; i < columns; ++i) {
            const int x0 = clip.left + i * block;
            const int x1 = std::min(x0 + block, clip.right());
            const auto column = static_cast<std::size_t>(i);
            // Down from the band above to the band below, at the block's centre; likewise
            // across from the left band to the right one.
            const std::optional<Rgb> down =
                Between(tops[column], bottoms[column], y0 + y1 - 2 * clip.top, 2 * clip.height);
            const std::optional<Rgb> sideways =
                Between(lefts[row], rights[row], x0 + x1 - 2 * clip.left, 2 * clip.width);
            Rgb base{};
            if (down && sideways) {
                base = {(down->r + sideways->r + 1) / 2, (down->g + sideways->g + 1) / 2,
                        (down->b + sideways->b + 1) / 2};
            } else if (down || sideways) {
                base = down ? *down : *sideways;
            } else {
                base = {kMidGrey >> 16 & 0xFF, kMidGrey >> 8 & 0xFF, kMidGrey & 0xFF};
            }
            const std::uint32_t colour = Opaque(base, VariationOf(i, j, clip.width, clip.height));
            for (int y = y0; y < y1; ++y) {
                std::fill(picture.row(y) + x0, picture.row(y) + x1, colour);
            }
        }
    }
}

void MarkList::Add(Mark mark) {
    m_marks.push_back(std::move(mark));
    m_undone.clear();
    ++m_version;
}

bool MarkList::Undo() {
    if (m_marks.empty()) {
        return false;
    }
    m_undone.push_back(std::move(m_marks.back()));
    m_marks.pop_back();
    ++m_version;
    return true;
}

bool MarkList::Redo() {
    if (m_undone.empty()) {
        return false;
    }
    m_marks.push_back(std::move(m_undone.back()));
    m_undone.pop_back();
    ++m_version;
    return true;
}

void MarkList::Clear() {
    if (m_marks.empty() && m_undone.empty()) {
        return;
    }
    m_marks.clear();
    m_undone.clear();
    ++m_version;
}

int MarkList::NextStepNumber() const {
    const auto last = std::find_if(m_marks.rbegin(), m_marks.rend(),
                                   [](const Mark& m) { return m.tool == MarkTool::Step; });
    return last == m_marks.rend() ? 1 : last->number + 1;
}

} // namespace snarvik
