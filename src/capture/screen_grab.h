// The grab: every monitor copied into the frozen image.
#pragma once
#include <windows.h>

#include <memory>

#include "capture/desktop.h"
#include "capture/surface.h"

namespace snarvik {

// Copies the desktop into frozen, whose top left is the desktop's; frozen is made anew only
// when the desktop's size changed, and a new one shows the window background until the copy
// lands. What no monitor shows is black. False when no surface of that size or no display
// could be had: frozen then keeps the previous image.
bool GrabScreenInto(std::shared_ptr<Surface>& frozen, const Desktop& desktop);

} // namespace snarvik
