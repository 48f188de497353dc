// Puts a picture on the clipboard as a device-dependent bitmap (CF_BITMAP).
#pragma once
#include <windows.h>

#include "base/failure.h"
#include "base/image.h"

namespace snarvik::mCopyPicToClipboard {

// Makes a bitmap compatible with the display from the picture and hands it to the clipboard,
// opened with owner as its owner. Another program holding the clipboard is waited for a short
// moment. The clipboard is emptied only once the bitmap is made and the clipboard is ours, so
// on any failure it still holds what it held.
Failed CopyPicToClipboard(HWND owner, const Image& picture);

} // namespace snarvik::mCopyPicToClipboard
