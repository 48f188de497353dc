// Pixels out of GDI objects, for the file encoders.
#pragma once
#include <windows.h>

#include "capture/image.h"

namespace snarvik {

// The bitmap's pixels as 32-bit rows top to bottom; empty on failure. The bitmap must not be
// selected into a device context.
Image ImageOfBitmap(HBITMAP bitmap);

// The icon's colour image (for a monochrome icon, its black-and-white image); empty on failure.
Image ImageOfIcon(HICON icon);

} // namespace snarvik
