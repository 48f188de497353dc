// The marking toolbar's buttons and where it goes: beside the selection, on its monitor.
#pragma once
#include <optional>
#include <string>
#include <vector>

#include "capture/geometry.h"

namespace snarvik {

struct ToolbarButton {
    enum Kind { Tool, Colour, Width, Undo, Redo, Done, Drop };
    Kind kind = Tool;
    int index = 0; // the tool (as MarkTool), colour or width; 0 for the others
    Rect rect;     // in the toolbar's own coordinates
    friend bool operator==(const ToolbarButton&, const ToolbarButton&) = default;
};

struct ToolbarLayout {
    Rect bar; // where the toolbar goes, in the coordinates of selection and monitor
    std::vector<ToolbarButton> buttons;
};

// Tools, then colours, then widths, then undo, redo, done and drop, in one row scaled to dpi.
// The bar goes below the selection, else above it, else inside it at its bottom; always wholly
// on the monitor (as far as it fits), lined up with the selection's left where it can be.
ToolbarLayout LayoutToolbar(const Rect& selection, const Rect& monitor, int dpi);
// The button at p (in the toolbar's own coordinates), if any.
std::optional<ToolbarButton> ButtonAt(const ToolbarLayout& layout, Point p);
// A button's tooltip: what it does and its key, as "Rectangle (R)".
std::u16string TooltipOf(const ToolbarButton& button);

} // namespace snarvik
