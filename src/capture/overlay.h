// The readout and magnifier shown beside the pointer during a cut: where their panel goes, how
// large it is on the pointer's monitor, and what it says. Drawn over the frozen screen, never
// into it.
#pragma once
#include <cstdint>
#include <string>

#include "capture/geometry.h"

namespace snarvik {

// The loupe shows kLoupeCells x kLoupeCells frozen pixels with the pixel under the pointer in
// the middle; below it lines of text: that pixel's colour and the readout.
inline constexpr int kLoupeCells = 11;
// The readout's lines; in window mode a third line says so.
inline constexpr int kOverlayLines = 2;
inline constexpr const char* kWindowModeLine = "Window mode";

// The panel's measures on a monitor of some DPI (96 is 100 %): at 96 a loupe cell is 8 pixels
// wide and a line of text 16 pixels high; both grow with the monitor's scaling, as its text
// does, while the frame stays a hairline up to 200 %.
struct OverlayLayout {
    int zoom = 8;   // a loupe cell's side
    int line = 16;  // a line of text's height
    int border = 1; // the panel's frame
    int gap = 16;   // from the pointer to the panel
    int lines = kOverlayLines;

    int loupe() const { return kLoupeCells * zoom; }
    int width() const { return loupe() + 2 * border; }
    int height() const { return loupe() + lines * line + 2 * border; }
    // Nothing of the panel is farther than this from the pointer on either axis.
    int reach() const { return 10 * gap; }
};

OverlayLayout LayoutOverlay(int dpi, int lines = kOverlayLines);

// The panel for a pointer at (x, y): below and right of it, flipped to the other side where it
// would leave bounds (the screen the pointer is on).
Rect PlaceOverlay(int x, int y, const Rect& bounds, const OverlayLayout& layout = {});

// "x, y": where the pointer is, before a press.
std::string PointerText(int x, int y);
// "W × H": the selection's size, while dragging or with a limited square.
std::string SizeText(int width, int height);
// "#RRGGBB" of a pixel 0x00RRGGBB (alpha ignored).
std::string ColourText(std::uint32_t pixel);

} // namespace snarvik
