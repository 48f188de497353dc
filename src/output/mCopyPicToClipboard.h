// Puts a picture on the clipboard as a device-dependent bitmap (CF_BITMAP).
#pragma once
#include <windows.h>

#include "capture/image.h"

namespace snarvik::mCopyPicToClipboard {

enum class CopyResult { Copied, Empty, NoBitmap, ClipboardUnavailable };

struct Outcome {
    CopyResult result = CopyResult::Copied;
    DWORD error = 0;
};

// Makes a bitmap compatible with the display from the picture and hands it to the clipboard,
// opened with owner as its owner. Another program holding the clipboard is waited for a short
// moment.
Outcome CopyPicToClipboard(HWND owner, const Image& picture);

} // namespace snarvik::mCopyPicToClipboard
