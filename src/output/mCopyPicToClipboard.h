// Puts a picture on the clipboard in the forms programs read: "PNG" (lossless, rendered only
// when a program asks for it) and CF_DIB (32 bits a pixel, opaque), from which the system makes
// CF_BITMAP in the display's format for the programs that want that.
#pragma once
#include <windows.h>

#include "base/failure.h"
#include "base/image.h"

namespace snarvik::mCopyPicToClipboard {

// Opens the clipboard with owner (the main window: it renders the PNG on request), waiting a
// short moment for another program that holds it, and puts the picture there. The clipboard
// is emptied only once the picture is ready and the clipboard is ours, so on any failure it
// still holds what it held.
Failed CopyPicToClipboard(HWND owner, const Image& picture);

// The owner's WM_RENDERFORMAT: the PNG of the picture copied last, put on the open clipboard.
void RenderFormat(UINT format);
// The owner's WM_RENDERALLFORMATS (it is closing): the PNG rendered if the clipboard is still
// ours, so that it outlives the program.
void RenderAllFormats(HWND owner);
// The owner's WM_DESTROYCLIPBOARD: the clipboard is another's now; the picture is let go.
void Forget() noexcept;

} // namespace snarvik::mCopyPicToClipboard
