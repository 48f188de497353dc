#include <windows.h>

#include "capture/screen_grab.h"

#include "base/win32.h"

namespace snarvik {

namespace {

// A call that failed without saying why most likely ran out of GDI's or the system's memory.
Failure NotCopied(DWORD error) {
    return {"The screen could not be copied",
            win::SystemMessage(error != ERROR_SUCCESS ? error : ERROR_NOT_ENOUGH_MEMORY)};
}

} // namespace

Failed GrabScreenInto(std::shared_ptr<Surface>& frozen, const Desktop& desktop) {
    const Rect area = VirtualScreen(desktop);
    SetLastError(ERROR_SUCCESS);
    if (!frozen || frozen->width() != area.width || frozen->height() != area.height) {
        frozen.reset(); // its memory may be what the new one needs
        auto fresh = std::make_shared<Surface>(area.width, area.height);
        if (!fresh->valid()) {
            return NotCopied(GetLastError());
        }
        frozen = std::move(fresh);
    }
    const win::UniqueDC display(CreateDCW(L"DISPLAY", nullptr, nullptr, nullptr));
    if (!display || BitBlt(frozen->dc(), 0, 0, area.width, area.height, display.get(), area.left,
                           area.top, SRCCOPY) == FALSE) {
        const DWORD error = GetLastError();
        frozen.reset(); // part old, part new: never to be shown
        return NotCopied(error);
    }
    for (const Rect& gap : Uncovered(desktop)) {
        const RECT black{gap.left - area.left, gap.top - area.top, gap.left - area.left + gap.width,
                         gap.top - area.top + gap.height};
        FillRect(frozen->dc(), &black, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    }
    GdiFlush();
    return std::nullopt;
}

} // namespace snarvik
