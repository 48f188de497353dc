#include <windows.h>

#include "output/mCopyPicToClipboard.h"

#include "app/win32.h"

namespace snarvik::mCopyPicToClipboard {

namespace {

constexpr int kOpenAttempts = 20;
constexpr DWORD kOpenPauseMs = 25;

} // namespace

Outcome CopyPicToClipboard(HWND owner, const Image& picture) {
    if (picture.empty()) {
        return {CopyResult::Empty, 0};
    }
    // Compatible with the display (a memory DC's bitmap would be monochrome).
    const win::WindowDC screen(nullptr);
    win::UniqueBitmap bitmap(CreateCompatibleBitmap(screen.get(), picture.width, picture.height));
    const BITMAPINFO info = win::TopDown32(picture.width, picture.height);
    if (!bitmap || SetDIBits(screen.get(), bitmap.get(), 0, static_cast<UINT>(picture.height),
                             picture.pixels.data(), &info, DIB_RGB_COLORS) != picture.height) {
        return {CopyResult::NoBitmap, GetLastError()};
    }

    // Another program may hold the clipboard for a moment; wait a little for it.
    for (int attempt = 0;; ++attempt) {
        win::OpenedClipboard clipboard(owner);
        if (clipboard.is_open()) {
            EmptyClipboard();
            if (SetClipboardData(CF_BITMAP, bitmap.get()) == nullptr) {
                return {CopyResult::NotSet, GetLastError()};
            }
            (void)bitmap.release(); // the clipboard owns it now
            return {CopyResult::Copied, 0};
        }
        if (attempt + 1 >= kOpenAttempts) {
            return {CopyResult::Busy, GetLastError()};
        }
        Sleep(kOpenPauseMs);
    }
}

} // namespace snarvik::mCopyPicToClipboard
