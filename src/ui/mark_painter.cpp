#include <windows.h>

#include "ui/mark_painter.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>
#include <stdexcept>

namespace snarvik {

namespace {

using Gdiplus::Color;
using Gdiplus::PointF;
using Gdiplus::RectF;

Color ColourOf(std::uint32_t argb, BYTE alpha = 255) {
    return {alpha, static_cast<BYTE>(argb >> 16), static_cast<BYTE>(argb >> 8),
            static_cast<BYTE>(argb)};
}

// Pixel (x, y) covers x to x + 1 (GDI+ without a pixel offset, on Windows and under Wine): its
// centre, so that marks are centred on the pixels the pointer was on.
PointF At(Point p) {
    return {static_cast<float>(p.x) + 0.5F, static_cast<float>(p.y) + 0.5F};
}

PointF AtPoint(const std::array<float, 2>& p) {
    return {p[0] + 0.5F, p[1] + 0.5F};
}

bool IsLight(std::uint32_t argb) {
    const int r = (argb >> 16) & 0xFF, g = (argb >> 8) & 0xFF, b = argb & 0xFF;
    return 299 * r + 587 * g + 114 * b > 160'000;
}

// Measured and drawn alike: trailing blanks count, nothing clipped or trimmed.
std::unique_ptr<Gdiplus::StringFormat> TextFormat() {
    auto format = std::make_unique<Gdiplus::StringFormat>(
        Gdiplus::StringFormatFlagsNoClip | Gdiplus::StringFormatFlagsNoFitBlackBox |
        Gdiplus::StringFormatFlagsMeasureTrailingSpaces);
    format->SetTrimming(Gdiplus::StringTrimmingNone);
    return format;
}

const WCHAR* Wide(const std::u16string& text) {
    return reinterpret_cast<const WCHAR*>(text.c_str());
}

int WideLength(const std::u16string& text) {
    return static_cast<INT>(text.size());
}

// The caret after the text's last character: its top and height.
struct Caret {
    PointF top;
    float height;
};

} // namespace

GdiplusSession::GdiplusSession() {
    const Gdiplus::GdiplusStartupInput input;
    if (Gdiplus::GdiplusStartup(&m_token, &input, nullptr) != Gdiplus::Ok) {
        throw std::runtime_error("The system's drawing library (GDI+) could not be started.");
    }
}

GdiplusSession::~GdiplusSession() {
    Gdiplus::GdiplusShutdown(m_token);
}

MarkPainter::MarkPainter()
    : m_measureBitmap(std::make_unique<Gdiplus::Bitmap>(1, 1, PixelFormat32bppRGB)),
      m_measure(std::make_unique<Gdiplus::Graphics>(m_measureBitmap.get())) {
    // GDI+ sees the system's installed fonts only, not every face GDI maps.
    for (const wchar_t* name :
         {L"Segoe UI", L"Arial", L"Liberation Sans", L"DejaVu Sans", L"Tahoma"}) {
        auto family = std::make_unique<Gdiplus::FontFamily>(name);
        if (family->IsAvailable()) {
            m_family = std::move(family);
            return;
        }
    }
    // None of those: whatever family the system has first.
    const Gdiplus::InstalledFontCollection installed;
    auto family = std::make_unique<Gdiplus::FontFamily>();
    INT found = 0;
    if (installed.GetFamilies(1, family.get(), &found) == Gdiplus::Ok && found == 1) {
        m_family = std::move(family);
    }
}

namespace {

// The text's box as drawn at its point, and where the caret after its last character goes.
RectF TextBox(Gdiplus::Graphics& measure, const Gdiplus::FontFamily* family, const Mark& mark) {
    RectF box(At(mark.points.front()), Gdiplus::SizeF(0, 0));
    if (family != nullptr && !mark.text.empty()) {
        const Gdiplus::Font font(family, static_cast<float>(mark.pen.size), Gdiplus::FontStyleBold,
                                 Gdiplus::UnitPixel);
        measure.MeasureString(Wide(mark.text), WideLength(mark.text), &font,
                              At(mark.points.front()), TextFormat().get(), &box);
    }
    return box;
}

Caret CaretOf(Gdiplus::Graphics& measure, const Gdiplus::FontFamily* family, const Mark& mark) {
    float lineHeight = static_cast<float>(mark.pen.size);
    if (family != nullptr) {
        const Gdiplus::Font font(family, lineHeight, Gdiplus::FontStyleBold, Gdiplus::UnitPixel);
        lineHeight = font.GetHeight(&measure);
    }
    const std::size_t lineStart = mark.text.rfind(u'\n');
    const std::size_t lines =
        static_cast<std::size_t>(std::count(mark.text.begin(), mark.text.end(), u'\n'));
    Mark last = mark;
    last.text = lineStart == std::u16string::npos ? mark.text : mark.text.substr(lineStart + 1);
    const RectF box = TextBox(measure, family, last);
    const PointF origin = At(mark.points.front());
    return {PointF(origin.X + box.Width + 1, origin.Y + lineHeight * static_cast<float>(lines)),
            lineHeight};
}

void DrawText(Gdiplus::Graphics& graphics, const Gdiplus::FontFamily* family, const Mark& mark,
              const Caret* caret) {
    if (family == nullptr) {
        return;
    }
    const Gdiplus::Font font(family, static_cast<float>(mark.pen.size), Gdiplus::FontStyleBold,
                             Gdiplus::UnitPixel);
    const Gdiplus::SolidBrush brush(ColourOf(mark.pen.colour));
    graphics.SetTextRenderingHint(Gdiplus::TextRenderingHintAntiAliasGridFit);
    graphics.DrawString(Wide(mark.text), WideLength(mark.text), &font, At(mark.points.front()),
                        TextFormat().get(), &brush);
    if (caret != nullptr) {
        const Gdiplus::Pen pen(ColourOf(mark.pen.colour),
                               std::max(1.0F, static_cast<float>(mark.pen.size) / 12.0F));
        graphics.DrawLine(&pen, caret->top, PointF(caret->top.X, caret->top.Y + caret->height));
    }
}

void DrawStep(Gdiplus::Graphics& graphics, const Gdiplus::FontFamily* family, const Mark& mark) {
    const float r = static_cast<float>(mark.pen.size);
    const PointF centre = At(mark.points.front());
    const Gdiplus::SolidBrush fill(ColourOf(mark.pen.colour));
    graphics.FillEllipse(&fill, centre.X - r, centre.Y - r, 2 * r, 2 * r);
    if (family == nullptr) {
        return;
    }
    const std::wstring number = std::to_wstring(mark.number);
    const Gdiplus::Font font(family, r * (number.size() > 2 ? 0.8F : 1.1F), Gdiplus::FontStyleBold,
                             Gdiplus::UnitPixel);
    const Gdiplus::SolidBrush ink(IsLight(mark.pen.colour) ? Color(255, 0, 0, 0)
                                                           : Color(255, 255, 255, 255));
    Gdiplus::StringFormat centred;
    centred.SetAlignment(Gdiplus::StringAlignmentCenter);
    centred.SetLineAlignment(Gdiplus::StringAlignmentCenter);
    graphics.SetTextRenderingHint(Gdiplus::TextRenderingHintAntiAliasGridFit);
    graphics.DrawString(number.c_str(), static_cast<INT>(number.size()), &font,
                        RectF(centre.X - r, centre.Y - r, 2 * r, 2 * r), &centred, &ink);
}

void DrawPath(Gdiplus::Graphics& graphics, const Mark& mark, const Gdiplus::Pen& pen) {
    if (mark.points.size() == 1) {
        const float r = pen.GetWidth() / 2;
        Color colour;
        pen.GetColor(&colour);
        const Gdiplus::SolidBrush fill(colour);
        const PointF at = At(mark.points.front());
        graphics.FillEllipse(&fill, at.X - r, at.Y - r, 2 * r, 2 * r);
        return;
    }
    std::vector<PointF> points;
    points.reserve(mark.points.size());
    std::transform(mark.points.begin(), mark.points.end(), std::back_inserter(points), At);
    graphics.DrawLines(&pen, points.data(), static_cast<INT>(points.size()));
}

} // namespace

void MarkPainter::Draw(PixelTarget target, const Mark& mark, const Rect& clipTo, bool caret) const {
    const Rect clip = Intersect(clipTo, {0, 0, target.width, target.height});
    if (clip.width <= 0 || clip.height <= 0 || mark.points.empty() ||
        mark.tool == MarkTool::Pixelate) {
        return;
    }
    // A bitmap over the clipped part only: GDI+ touches nothing else.
    Gdiplus::Bitmap bitmap(
        clip.width, clip.height, target.width * 4, PixelFormat32bppRGB,
        reinterpret_cast<BYTE*>(target.bits + static_cast<std::ptrdiff_t>(clip.top) * target.width +
                                clip.left));
    Gdiplus::Graphics graphics(&bitmap);
    graphics.TranslateTransform(static_cast<float>(-clip.left), static_cast<float>(-clip.top));
    graphics.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
    graphics.SetPixelOffsetMode(Gdiplus::PixelOffsetModeNone);

    const bool highlighter = mark.tool == MarkTool::Highlighter;
    Gdiplus::Pen pen(
        ColourOf(mark.pen.colour, highlighter ? kHighlighterAlpha : 255),
        static_cast<float>(mark.pen.width * (highlighter ? kHighlighterWidthFactor : 1)));
    pen.SetLineJoin(Gdiplus::LineJoinRound);
    if (mark.tool != MarkTool::Rectangle) {
        pen.SetStartCap(Gdiplus::LineCapRound);
        pen.SetEndCap(Gdiplus::LineCapRound);
    }
    const Point a = mark.points.front();
    const Point b = mark.points.back();
    const Rect box = Span(a, b);
    switch (mark.tool) {
    case MarkTool::Rectangle:
        pen.SetLineJoin(Gdiplus::LineJoinMiter);
        graphics.DrawRectangle(&pen, RectF(At({box.left, box.top}),
                                           Gdiplus::SizeF(static_cast<float>(box.width - 1),
                                                          static_cast<float>(box.height - 1))));
        break;
    case MarkTool::Ellipse:
        graphics.DrawEllipse(&pen, RectF(At({box.left, box.top}),
                                         Gdiplus::SizeF(static_cast<float>(box.width - 1),
                                                        static_cast<float>(box.height - 1))));
        break;
    case MarkTool::Arrow: {
        const ArrowHead head = HeadOf(a, b, mark.pen.width);
        graphics.DrawLine(&pen, At(a), AtPoint(head.shaftEnd));
        const PointF corners[] = {AtPoint(head.tip), AtPoint(head.left), AtPoint(head.right)};
        const Gdiplus::SolidBrush fill(ColourOf(mark.pen.colour));
        graphics.FillPolygon(&fill, corners, 3);
        break;
    }
    case MarkTool::Line:
        graphics.DrawLine(&pen, At(a), At(b));
        break;
    case MarkTool::Pen:
    case MarkTool::Highlighter:
        DrawPath(graphics, mark, pen);
        break;
    case MarkTool::Text: {
        // Measured for the caret only: finished text is drawn without it.
        std::optional<Caret> where;
        if (caret) {
            where = CaretOf(*m_measure, m_family.get(), mark);
        }
        DrawText(graphics, m_family.get(), mark, where ? &*where : nullptr);
        break;
    }
    case MarkTool::Step:
        DrawStep(graphics, m_family.get(), mark);
        break;
    case MarkTool::Pixelate:
        break;
    }
}

Rect MarkPainter::Extent(const Mark& mark, bool caret) const {
    if (mark.tool != MarkTool::Text || mark.points.empty()) {
        return Bounds(mark);
    }
    const RectF box = TextBox(*m_measure, m_family.get(), mark);
    Rect extent{static_cast<int>(std::floor(box.X)), static_cast<int>(std::floor(box.Y)),
                static_cast<int>(std::ceil(box.Width)) + 1,
                static_cast<int>(std::ceil(box.Height)) + 1};
    if (caret) {
        const Caret at = CaretOf(*m_measure, m_family.get(), mark);
        extent = Union(extent, {static_cast<int>(at.top.X), static_cast<int>(at.top.Y), 1,
                                static_cast<int>(std::ceil(at.height)) + 1});
    }
    // Antialiasing and the caret's width reach a little further.
    return Grown(extent, std::max(2, mark.pen.size / 6));
}

void ComposeMarks(Image& picture, std::span<const Mark> marks, const MarkPainter& painter) {
    const Rect whole{0, 0, picture.width(), picture.height()};
    for (const Mark& mark : marks) {
        if (mark.tool == MarkTool::Pixelate) {
            Pixelate(picture, Span(mark.points.front(), mark.points.back()), mark.pen.size);
        } else {
            painter.Draw({picture.pixels().data(), picture.width(), picture.height()}, mark, whole);
        }
    }
}

} // namespace snarvik
