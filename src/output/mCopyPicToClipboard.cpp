#include <windows.h>

#include "output/mCopyPicToClipboard.h"

#include "app/win32.h"

namespace snarvik::mCopyPicToClipboard {

namespace {

constexpr int kOpenAttempts = 20;
constexpr DWORD kOpenPauseMs = 25;

} // namespace

Outcome CopyPicToClipboard(HWND owner, HWND sourceWindow, HDC imageDC, int width, int height) {
    if (width <= 0 || height <= 0) {
        return {CopyResult::Empty, 0};
    }
    const win::WindowDC sourceDC(sourceWindow);
    win::UniqueDC memoryDC(CreateCompatibleDC(sourceDC.get()));
    if (!memoryDC) {
        return {CopyResult::NoContext, GetLastError()};
    }
    // Compatible with the display, not with the memory DC (which would make it monochrome).
    win::UniqueBitmap bitmap(CreateCompatibleBitmap(sourceDC.get(), width, height));
    if (!bitmap) {
        return {CopyResult::NoBitmap, GetLastError()};
    }
    {
        const win::Selection selected(memoryDC.get(), bitmap.get());
        BitBlt(memoryDC.get(), 0, 0, width, height, imageDC, 0, 0, SRCCOPY);
    }

    // Another program may hold the clipboard for a moment; wait a little for it.
    for (int attempt = 0;; ++attempt) {
        win::OpenedClipboard clipboard(owner);
        if (clipboard.is_open()) {
            EmptyClipboard();
            if (SetClipboardData(CF_BITMAP, bitmap.get()) == nullptr) {
                return {CopyResult::ClipboardUnavailable, GetLastError()};
            }
            (void)bitmap.release(); // the clipboard owns it now
            return {CopyResult::Copied, 0};
        }
        if (attempt + 1 >= kOpenAttempts) {
            return {CopyResult::ClipboardUnavailable, GetLastError()};
        }
        Sleep(kOpenPauseMs);
    }
}

} // namespace snarvik::mCopyPicToClipboard
