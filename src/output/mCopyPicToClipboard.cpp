#include <windows.h>

#include "output/mCopyPicToClipboard.h"

#include "base/win32.h"

namespace snarvik::mCopyPicToClipboard {

namespace {

constexpr int kOpenAttempts = 20;
constexpr DWORD kOpenPauseMs = 25;

Failure NotCopied(DWORD error) {
    return {"The selection could not be copied to the clipboard", win::SystemMessage(error)};
}

} // namespace

Failed CopyPicToClipboard(HWND owner, const Image& picture) {
    if (picture.empty()) {
        return Failure{"Nothing was copied to the clipboard", "the selection is empty"};
    }
    // Compatible with the display (a memory DC's bitmap would be monochrome).
    const win::WindowDC screen(nullptr);
    win::UniqueBitmap bitmap(CreateCompatibleBitmap(screen.get(), picture.width, picture.height));
    const BITMAPINFO info = win::TopDown32(picture.width, picture.height);
    if (!bitmap || SetDIBits(screen.get(), bitmap.get(), 0, static_cast<UINT>(picture.height),
                             picture.pixels.data(), &info, DIB_RGB_COLORS) != picture.height) {
        return NotCopied(GetLastError());
    }

    // Another program may hold the clipboard for a moment; wait a little for it.
    for (int attempt = 0;; ++attempt) {
        win::OpenedClipboard clipboard(owner);
        if (clipboard.is_open()) {
            EmptyClipboard();
            if (SetClipboardData(CF_BITMAP, bitmap.get()) == nullptr) {
                return NotCopied(GetLastError());
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
