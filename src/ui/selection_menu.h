// The selection menu: its items and captions in one table, shown where the selection was
// released.
#pragma once
#include <windows.h>

#include <optional>

#include "base/win32.h"

namespace snarvik {

class SelectionMenu {
public:
    enum class Item {
        CopyToClipboard,
        SaveBitmap,
        SavePng,
        QuickSave,
        SaveIcon,
        SaveCursor,
        WallpaperTile,
        WallpaperCenter,
        WallpaperStretch,
        Pin,
        MarkUp,
        Reselect,
        Abort,
    };

    // Builds mnuPopup.
    SelectionMenu();
    // Shows it at `at` on the screen, owned by window, and waits for the choice; none when
    // the menu was dismissed.
    std::optional<Item> Run(HWND window, POINT at) const;

private:
    win::UniqueMenu mnuPopup;
};

} // namespace snarvik
