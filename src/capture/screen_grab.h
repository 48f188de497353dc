// The grab: the whole screen copied into the frozen image.
#pragma once
#include <windows.h>

#include <memory>

#include "capture/surface.h"

namespace snarvik {

// Copies the screen into frozen, which is made anew only when the screen's size changed; a
// new one shows the window background until the copy lands. False when no surface of that
// size or no display could be had: frozen then keeps the previous image.
bool GrabScreenInto(std::shared_ptr<Surface>& frozen);

} // namespace snarvik
