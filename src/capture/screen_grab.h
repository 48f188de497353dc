// The grab: every monitor copied into the frozen image.
#pragma once
#include <windows.h>

#include <functional>
#include <memory>

#include "base/failure.h"
#include "capture/desktop.h"
#include "capture/surface.h"

namespace snarvik {

// Copies the desktop into frozen, whose top left is the desktop's; frozen is made anew only
// when the desktop's size changed. What no monitor shows is black. On failure (no memory for
// the image, no display, the copy refused) what failed and why; frozen then holds no picture
// that may be shown.
Failed GrabScreenInto(std::shared_ptr<Surface>& frozen, const Desktop& desktop);

// How a cut grabs the screen: GrabScreenInto, or what a test puts in its place.
using ScreenGrabber = std::function<Failed(std::shared_ptr<Surface>&, const Desktop&)>;

} // namespace snarvik
