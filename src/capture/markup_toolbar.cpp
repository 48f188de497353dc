#include "capture/markup_toolbar.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "capture/markup.h"

namespace snarvik {

namespace {

int Scaled(int pixels, double scale) {
    return static_cast<int>(std::lround(pixels * scale));
}

constexpr std::array<const char16_t*, kMarkToolCount> kToolTips = {
    u"Rectangle (R)",   u"Ellipse (E)", u"Arrow (A)",         u"Line (L)",    u"Pen (P)",
    u"Highlighter (H)", u"Text (T)",    u"Numbered step (N)", u"Pixelate (X)"};
constexpr std::array<const char16_t*, kMarkColours.size()> kColourTips = {
    u"Red", u"Orange", u"Yellow", u"Green", u"Blue", u"Purple", u"Black", u"White"};
constexpr std::array<const char16_t*, kMarkWidths.size()> kWidthTips = {u"Thin", u"Medium",
                                                                        u"Thick"};

template <std::size_t N>
std::u16string TipAt(const std::array<const char16_t*, N>& tips, int index) {
    return index >= 0 && index < static_cast<int>(N) ? tips[static_cast<std::size_t>(index)]
                                                     : std::u16string{};
}

} // namespace

ToolbarLayout LayoutToolbar(const Rect& selection, const Rect& monitor, int dpi) {
    const double scale = (dpi <= 0 ? 96 : dpi) / 96.0;
    const int side = Scaled(24, scale);
    const int gap = Scaled(2, scale);
    const int groupGap = Scaled(8, scale);
    const int padding = Scaled(4, scale);
    const int margin = Scaled(4, scale);

    using Kind = ToolbarButton::Kind;
    // Each group's kind and how many; undo and redo make one group, done and drop another.
    const struct {
        Kind kind;
        int count;
        bool startsGroup;
    } runs[] = {
        {Kind::Tool, kMarkToolCount, true},
        {Kind::Colour, static_cast<int>(kMarkColours.size()), true},
        {Kind::Width, static_cast<int>(kMarkWidths.size()), true},
        {Kind::Undo, 1, true},
        {Kind::Redo, 1, false},
        {Kind::Done, 1, true},
        {Kind::Drop, 1, false},
    };
    ToolbarLayout layout;
    int x = padding;
    for (const auto& run : runs) {
        for (int index = 0; index < run.count; ++index) {
            if (!layout.buttons.empty()) {
                x += gap + (run.startsGroup && index == 0 ? groupGap : 0);
            }
            layout.buttons.push_back({run.kind, index, {x, padding, side, side}});
            x += side;
        }
    }
    const int width = x + padding;
    const int height = side + 2 * padding;

    int top = selection.bottom() + margin;
    if (top + height > monitor.bottom()) {
        top = selection.top - margin - height;
        if (top < monitor.top) {
            top = selection.bottom() - margin - height;
        }
    }
    top = std::max(monitor.top, std::min(top, monitor.bottom() - height));
    const int left = std::max(monitor.left, std::min(selection.left, monitor.right() - width));
    layout.bar = {left, top, width, height};
    return layout;
}

std::optional<ToolbarButton> ButtonAt(const ToolbarLayout& layout, Point p) {
    for (const ToolbarButton& button : layout.buttons) {
        if (button.rect.contains(p)) {
            return button;
        }
    }
    return std::nullopt;
}

std::u16string TooltipOf(const ToolbarButton& button) {
    switch (button.kind) {
    case ToolbarButton::Tool:
        return TipAt(kToolTips, button.index);
    case ToolbarButton::Colour:
        return TipAt(kColourTips, button.index);
    case ToolbarButton::Width:
        return TipAt(kWidthTips, button.index);
    case ToolbarButton::Undo:
        return u"Undo (Ctrl+Z)";
    case ToolbarButton::Redo:
        return u"Redo (Ctrl+Y)";
    case ToolbarButton::Done:
        return u"Done (Enter)";
    case ToolbarButton::Drop:
        return u"Drop all marks";
    }
    return {};
}

} // namespace snarvik
