// Puts a picture on the clipboard as a device-dependent bitmap (CF_BITMAP).
#pragma once
#include <windows.h>

#include "capture/image.h"

namespace snarvik::mCopyPicToClipboard {

enum class CopyResult {
    Copied,
    Empty,    // no selection
    NoBitmap, // the bitmap could not be made; the clipboard was not touched
    Busy,     // another program kept the clipboard open; it was not touched
    NotSet,   // the clipboard refused the bitmap
};

struct Outcome {
    CopyResult result = CopyResult::Copied;
    DWORD error = 0;
};

// Makes a bitmap compatible with the display from the picture and hands it to the clipboard,
// opened with owner as its owner. Another program holding the clipboard is waited for a short
// moment. The clipboard is emptied only once the bitmap is made and the clipboard is ours.
Outcome CopyPicToClipboard(HWND owner, const Image& picture);

} // namespace snarvik::mCopyPicToClipboard
