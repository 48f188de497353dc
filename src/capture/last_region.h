// The last selection's rectangle, kept between cuts and runs: its stored text, and whether it
// can be taken again on the desktop as it is now.
#pragma once
#include <optional>
#include <string>
#include <string_view>

#include "capture/desktop.h"

namespace snarvik {

// "left,top,width,height" in screen coordinates.
std::string FormatRegion(const Rect& region);
// The stored text back; none for anything else, or an empty rectangle.
std::optional<Rect> ParseRegion(std::string_view text);
// Every pixel of region lies on a monitor: none in a gap between monitors or off them all.
bool WhollyOnDesktop(const Rect& region, const Desktop& desktop);

} // namespace snarvik
