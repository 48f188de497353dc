#include <windows.h>

#include "capture/screen_grab.h"

namespace snarvik {

bool GrabScreenInto(std::shared_ptr<Surface>& frozen, const Desktop& desktop) {
    const Rect area = VirtualScreen(desktop);
    if (!frozen || frozen->width() != area.width || frozen->height() != area.height) {
        auto fresh = std::make_shared<Surface>(area.width, area.height);
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
    const BOOL copied = BitBlt(frozen->dc(), 0, 0, area.width, area.height, display.get(),
                               area.left, area.top, SRCCOPY);
    for (const Rect& gap : Uncovered(desktop)) {
        const RECT black{gap.left - area.left, gap.top - area.top, gap.left - area.left + gap.width,
                         gap.top - area.top + gap.height};
        FillRect(frozen->dc(), &black, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    }
    GdiFlush();
    return copied != FALSE;
}

} // namespace snarvik
