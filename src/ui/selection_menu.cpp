#include <windows.h>

#include "ui/selection_menu.h"

#include <iterator>

namespace snarvik {

namespace {

// The menu, top to bottom.
struct MenuLine {
    enum Place { kMain, kSubmenu, kInSubmenu };
    const wchar_t* caption;
    Place place;
    SelectionMenu::Item item; // none for the submenu itself
};
using Item = SelectionMenu::Item;
constexpr MenuLine kLines[] = {
    {L"Copy to &Clipboard", MenuLine::kMain, Item::CopyToClipboard},
    {L"Save as &Bitmap (.bmp)", MenuLine::kMain, Item::SaveBitmap},
    {L"Save as &PNG (.png)", MenuLine::kMain, Item::SavePng},
    {L"&Quick Save", MenuLine::kMain, Item::QuickSave},
    {L"Save as &Icon (.ico)", MenuLine::kMain, Item::SaveIcon},
    {L"Save as &Cursor (.cur)", MenuLine::kMain, Item::SaveCursor},
    {L"Set as &Wallpaper", MenuLine::kSubmenu, {}},
    {L"&Tile", MenuLine::kInSubmenu, Item::WallpaperTile},
    {L"&Center", MenuLine::kInSubmenu, Item::WallpaperCenter},
    {L"&Stretch", MenuLine::kInSubmenu, Item::WallpaperStretch},
    {L"Pi&n to Screen", MenuLine::kMain, Item::Pin},
    {L"&Mark Up", MenuLine::kMain, Item::MarkUp},
    {L"&Reselect", MenuLine::kMain, Item::Reselect},
    {L"&Abort", MenuLine::kMain, Item::Abort},
};
// An item's command: its place in the table from here, clear of the tray menu's bit.
constexpr UINT kFirstId = 0x100;

} // namespace

SelectionMenu::SelectionMenu() : mnuPopup(CreatePopupMenu()) {
    HMENU submenu = nullptr;
    for (std::size_t i = 0; i < std::size(kLines); ++i) {
        const MenuLine& line = kLines[i];
        if (line.place == MenuLine::kSubmenu) {
            submenu = CreatePopupMenu(); // owned by the menu it goes into
            AppendMenuW(mnuPopup.get(), MF_POPUP, reinterpret_cast<UINT_PTR>(submenu),
                        line.caption);
        } else {
            AppendMenuW(line.place == MenuLine::kInSubmenu ? submenu : mnuPopup.get(), MF_STRING,
                        kFirstId + i, line.caption);
        }
    }
}

std::optional<SelectionMenu::Item> SelectionMenu::Run(HWND window, POINT at) const {
    const auto chosen = static_cast<UINT>(TrackPopupMenu(
        mnuPopup.get(), TPM_LEFTALIGN | TPM_LEFTBUTTON | TPM_RETURNCMD | TPM_NONOTIFY, at.x, at.y,
        0, window, nullptr));
    if (chosen < kFirstId || chosen - kFirstId >= std::size(kLines)) {
        return std::nullopt;
    }
    return kLines[chosen - kFirstId].item;
}

} // namespace snarvik
