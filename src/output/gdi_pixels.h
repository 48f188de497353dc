// Pixels into and out of GDI objects, between the selection and the system's image APIs.
#pragma once
#include <windows.h>

#include "base/win32.h"
#include "capture/image.h"

namespace snarvik {

// A 32-bit DIB section of the image, every pixel opaque (screen pixels carry no alpha, and
// APIs that honour alpha would otherwise see them transparent); none on failure.
win::UniqueBitmap OpaqueBitmapOf(const Image& image);

// The bitmap's pixels as 32-bit rows top to bottom; empty on failure. The bitmap must not be
// selected into a device context.
Image ImageOfBitmap(HBITMAP bitmap);

// The icon's colour image (for a monochrome icon, its black-and-white image); empty on failure.
Image ImageOfIcon(HICON icon);

} // namespace snarvik
