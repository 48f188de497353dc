#include <windows.h>

#include "output/mCopyPicToClipboard.h"

#include "base/win32.h"
#include "output/png.h"

#include <cstring>
#include <optional>

namespace snarvik::mCopyPicToClipboard {

namespace {

constexpr int kOpenAttempts = 20;
constexpr DWORD kOpenPauseMs = 25;

// What the clipboard's "PNG" is rendered from while it is ours.
std::optional<Image> gCopied;

UINT PngFormat() {
    static const UINT format = RegisterClipboardFormatW(L"PNG");
    return format;
}

// A failing call need not set an error code: then the likely cause is said, never "The
// operation completed successfully".
Failure NotCopied(DWORD error, DWORD likely) {
    return {"The selection could not be copied to the clipboard",
            win::SystemMessage(error != ERROR_SUCCESS ? error : likely)};
}

// Movable memory as the clipboard takes it, holding bytes; none without memory.
win::Unique<win::NullIsNone<HGLOBAL, &GlobalFree>> Global(std::size_t size) {
    return win::Unique<win::NullIsNone<HGLOBAL, &GlobalFree>>(GlobalAlloc(GMEM_MOVEABLE, size));
}

// The picture as a packed DIB: 32 bits a pixel, rows bottom-up, every pixel opaque (screen
// pixels carry no alpha, and programs that honour it would paste nothing).
win::Unique<win::NullIsNone<HGLOBAL, &GlobalFree>> PackedDib(const Image& picture) {
    BITMAPINFOHEADER header{};
    header.biSize = sizeof header;
    header.biWidth = picture.width();
    header.biHeight = picture.height();
    header.biPlanes = 1;
    header.biBitCount = 32;
    header.biCompression = BI_RGB;
    const std::size_t rowBytes = static_cast<std::size_t>(picture.width()) * 4;
    header.biSizeImage = static_cast<DWORD>(rowBytes * static_cast<std::size_t>(picture.height()));
    auto memory = Global(sizeof header + header.biSizeImage);
    if (!memory) {
        return memory;
    }
    auto* bytes = static_cast<std::uint8_t*>(GlobalLock(memory.get()));
    std::memcpy(bytes, &header, sizeof header);
    auto* pixels = reinterpret_cast<std::uint32_t*>(bytes + sizeof header);
    for (int y = picture.height() - 1; y >= 0; --y) {
        const std::uint32_t* row = picture.row(y);
        for (int x = 0; x < picture.width(); ++x) {
            *pixels++ = row[x] | 0xFF000000U;
        }
    }
    GlobalUnlock(memory.get());
    return memory;
}

// Puts the PNG of the copied picture on the open clipboard.
void RenderPng() {
    if (!gCopied) {
        return;
    }
    const std::vector<std::uint8_t> png = EncodePng(*gCopied, PngChannels::Rgb, kPngClipboardLevel);
    auto memory = png.empty() ? decltype(Global(0)){} : Global(png.size());
    if (!memory) {
        return; // a program asking gets nothing; the other forms are there
    }
    std::memcpy(GlobalLock(memory.get()), png.data(), png.size());
    GlobalUnlock(memory.get());
    if (SetClipboardData(PngFormat(), memory.get()) != nullptr) {
        (void)memory.release(); // the clipboard owns it now
    }
}

} // namespace

Failed CopyPicToClipboard(HWND owner, const Image& picture) {
    if (picture.empty()) {
        return Failure{"Nothing was copied to the clipboard", "the selection is empty"};
    }
    SetLastError(ERROR_SUCCESS);
    auto dib = PackedDib(picture);
    if (!dib) {
        return NotCopied(GetLastError(), ERROR_NOT_ENOUGH_MEMORY);
    }
    // Another program may hold the clipboard for a moment; wait a little for it.
    for (int attempt = 0;; ++attempt) {
        win::OpenedClipboard clipboard(owner);
        if (clipboard.is_open()) {
            EmptyClipboard(); // the picture before is let go (WM_DESTROYCLIPBOARD)
            gCopied = picture;
            SetLastError(ERROR_SUCCESS);
            // In this order: the programs that read the first form they know take the best.
            SetClipboardData(PngFormat(), nullptr);
            if (SetClipboardData(CF_DIB, dib.get()) == nullptr) {
                return NotCopied(GetLastError(), ERROR_NOT_ENOUGH_MEMORY);
            }
            (void)dib.release(); // the clipboard owns it now
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

void RenderFormat(UINT format) {
    if (format == PngFormat()) {
        RenderPng();
    }
}

void RenderAllFormats(HWND owner) {
    const win::OpenedClipboard clipboard(owner);
    // Not emptied: the other forms are there already.
    if (clipboard.is_open() && GetClipboardOwner() == owner) {
        RenderPng();
    }
}

void Forget() noexcept {
    gCopied.reset();
}

} // namespace snarvik::mCopyPicToClipboard
