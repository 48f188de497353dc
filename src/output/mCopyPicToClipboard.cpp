#include <windows.h>

#include "output/mCopyPicToClipboard.h"

#include "base/win32.h"

namespace snarvik::mCopyPicToClipboard {

namespace {

constexpr int kOpenAttempts = 20;
constexpr DWORD kOpenPauseMs = 25;

// A failing call need not set an error code: then the likely cause is said, never "The
// operation completed successfully".
Failure NotCopied(DWORD error, DWORD likely) {
    return {"The selection could not be copied to the clipboard",
            win::SystemMessage(error != ERROR_SUCCESS ? error : likely)};
}

} // namespace

Failed CopyPicToClipboard(HWND owner, const Image& picture) {
    if (picture.empty()) {
        return Failure{"Nothing was copied to the clipboard", "the selection is empty"};
    }
    // Opaque: screen pixels carry no alpha, and programs that honour it would paste nothing.
    Image opaque = picture;
    for (std::uint32_t& pixel : opaque.pixels()) {
        pixel |= 0xFF000000U;
    }
    // Compatible with the display (a memory DC's bitmap would be monochrome).
    const win::WindowDC screen(nullptr);
    SetLastError(ERROR_SUCCESS);
    win::UniqueBitmap bitmap(CreateCompatibleBitmap(screen.get(), opaque.width(), opaque.height()));
    if (!bitmap) {
        return NotCopied(GetLastError(), ERROR_NOT_ENOUGH_MEMORY);
    }
    const BITMAPINFO info = win::TopDown32(opaque.width(), opaque.height());
    if (SetDIBits(screen.get(), bitmap.get(), 0, static_cast<UINT>(opaque.height()), opaque.row(0),
                  &info, DIB_RGB_COLORS) != opaque.height()) {
        return NotCopied(GetLastError(), ERROR_INVALID_DATA);
    }

    // Another program may hold the clipboard for a moment; wait a little for it.
    for (int attempt = 0;; ++attempt) {
        win::OpenedClipboard clipboard(owner);
        if (clipboard.is_open()) {
            EmptyClipboard();
            SetLastError(ERROR_SUCCESS);
            if (SetClipboardData(CF_BITMAP, bitmap.get()) == nullptr) {
                return NotCopied(GetLastError(), ERROR_NOT_ENOUGH_MEMORY);
            }
            (void)bitmap.release(); // the clipboard owns it now
            return std::nullopt;
        }
        if (attempt + 1 >= kOpenAttempts) {
            return Failure{"The selection was not copied",
                           "another program keeps the clipboard open. What the clipboard "
                           "held is still there."};
        }
        Sleep(kOpenPauseMs);
    }
}

} // namespace snarvik::mCopyPicToClipboard
