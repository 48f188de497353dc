#include <windows.h>

#include "capture/screen_grab.h"

namespace snarvik {

bool GrabScreenInto(std::shared_ptr<Surface>& frozen) {
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    if (!frozen || frozen->width() != width || frozen->height() != height) {
        auto fresh = std::make_shared<Surface>(width, height);
        if (!fresh->valid()) {
            return false;
        }
        const COLORREF background = GetSysColor(COLOR_WINDOW);
        fresh->Fill(static_cast<std::uint32_t>(GetRValue(background)) << 16 |
                    static_cast<std::uint32_t>(GetGValue(background)) << 8 | GetBValue(background));
        frozen = std::move(fresh);
    }
    const win::UniqueDC display(CreateDCW(L"DISPLAY", nullptr, nullptr, nullptr));
    if (!display) {
        return false;
    }
    const BOOL copied = BitBlt(frozen->dc(), 0, 0, width, height, display.get(), 0, 0, SRCCOPY);
    GdiFlush();
    return copied != FALSE;
}

} // namespace snarvik
