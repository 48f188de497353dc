// Puts a picture on the clipboard as a device-dependent bitmap (CF_BITMAP).
#pragma once
#include <windows.h>

namespace snarvik::mCopyPicToClipboard {

enum class CopyResult { Copied, Empty, NoContext, NoBitmap, ClipboardUnavailable };

struct Outcome {
    CopyResult result = CopyResult::Copied;
    DWORD error = 0;
};

// Copies width x height pixels from imageDC (the picture's persistent image) into a bitmap
// compatible with sourceWindow's display DC and hands it to the clipboard, opened with
// owner as its owner. Another program holding the clipboard is waited for a short moment.
Outcome CopyPicToClipboard(HWND owner, HWND sourceWindow, HDC imageDC, int width, int height);

} // namespace snarvik::mCopyPicToClipboard
