// The readout and magnifier shown beside the pointer during a cut: where their panel goes and
// what it says. Drawn over the frozen screen, never into it.
#pragma once
#include <cstdint>
#include <string>

#include "capture/geometry.h"

namespace snarvik {

// The loupe shows kLoupeCells x kLoupeCells frozen pixels, each kLoupeZoom pixels wide, with the
// pixel under the pointer in the middle; below it two lines of text: that pixel's colour and the
// readout.
inline constexpr int kLoupeCells = 11;
inline constexpr int kLoupeZoom = 8;
inline constexpr int kOverlayLine = 16;
inline constexpr int kOverlayWidth = kLoupeCells * kLoupeZoom + 2; // with a one-pixel border
inline constexpr int kOverlayHeight = kLoupeCells * kLoupeZoom + 2 * kOverlayLine + 2;
inline constexpr int kOverlayGap = 16; // from the pointer to the panel
// Nothing of the panel is farther than this from the pointer on either axis.
inline constexpr int kOverlayReach = 160;

// In window mode a third line says so.
inline constexpr const char* kWindowModeLine = "Window mode";

// The panel of a height for a pointer at (x, y): below and right of it, flipped to the other
// side where it would leave bounds (the screen the pointer is on).
Rect PlaceOverlay(int x, int y, const Rect& bounds, int height = kOverlayHeight);

// "x, y": where the pointer is, before a press.
std::string PointerText(int x, int y);
// "W × H": the selection's size, while dragging or with a limited square.
std::string SizeText(int width, int height);
// "#RRGGBB" of a pixel 0x00RRGGBB (alpha ignored).
std::string ColourText(std::uint32_t pixel);

} // namespace snarvik
