// The selection menu: its items' ids, captions and handlers in one table, and the menu shown
// at the release point.
#include <windows.h>

#include "ui/capture_view.h"

#include "output/wallpaper_modes.h"

#include <iterator>

namespace snarvik {

namespace {

// The selection menu, top to bottom: its items' ids, captions and handlers in one place.
struct SelectionMenuItem {
    enum Place { kMain, kSubmenu, kInSubmenu };
    const wchar_t* caption;
    Place place;
    void (*run)(CaptureView& view); // none for the submenu itself
};
constexpr SelectionMenuItem kSelectionMenu[] = {
    {L"Copy to &Clipboard", SelectionMenuItem::kMain,
     [](CaptureView& view) {
         view.mnuPopupCopyToClipboard_Click();
     }},
    {L"Save as &Bitmap (.bmp)", SelectionMenuItem::kMain,
     [](CaptureView& view) {
         view.mnuPopupSaveBitmap_Click();
     }},
    {L"Save as &PNG (.png)", SelectionMenuItem::kMain,
     [](CaptureView& view) {
         view.mnuPopupSavePng_Click();
     }},
    {L"Save as &Icon (.ico)", SelectionMenuItem::kMain,
     [](CaptureView& view) {
         view.mnuPopupSaveIcon_Click();
     }},
    {L"Save as &Cursor (.cur)", SelectionMenuItem::kMain,
     [](CaptureView& view) {
         view.mnuPopupSaveCursor_Click();
     }},
    {L"Set as &Wallpaper", SelectionMenuItem::kSubmenu, nullptr},
    {L"&Tile", SelectionMenuItem::kInSubmenu,
     [](CaptureView& view) {
         view.mnuPopupSetAsWallpaperMode_Click(kWallpaperTile);
     }},
    {L"&Center", SelectionMenuItem::kInSubmenu,
     [](CaptureView& view) {
         view.mnuPopupSetAsWallpaperMode_Click(kWallpaperCenter);
     }},
    {L"&Stretch", SelectionMenuItem::kInSubmenu,
     [](CaptureView& view) {
         view.mnuPopupSetAsWallpaperMode_Click(kWallpaperStretch);
     }},
    {L"&Reselect", SelectionMenuItem::kMain,
     [](CaptureView& view) {
         view.mnuPopupReselect_Click();
     }},
    {L"&Abort", SelectionMenuItem::kMain,
     [](CaptureView& view) {
         view.mnuPopupAbort_Click();
     }},
};
// An item's command: its place in the table from here, clear of the tray menu's bit.
constexpr UINT kFirstSelectionId = 0x100;

} // namespace

void CaptureView::BuildSelectionMenu() {
    mnuPopup.reset(CreatePopupMenu());
    HMENU submenu = nullptr;
    for (std::size_t i = 0; i < std::size(kSelectionMenu); ++i) {
        const SelectionMenuItem& item = kSelectionMenu[i];
        const auto id = static_cast<UINT_PTR>(kFirstSelectionId + i);
        if (item.place == SelectionMenuItem::kSubmenu) {
            submenu = CreatePopupMenu(); // owned by the menu it goes into
            AppendMenuW(mnuPopup.get(), MF_POPUP, reinterpret_cast<UINT_PTR>(submenu),
                        item.caption);
        } else {
            AppendMenuW(item.place == SelectionMenuItem::kInSubmenu ? submenu : mnuPopup.get(),
                        MF_STRING, id, item.caption);
        }
    }
}

void CaptureView::RunSelectionMenu(int x, int y) {
    POINT at{x, y};
    ClientToScreen(m_window, &at);
    UINT chosen = 0;
    {
        const ModalSteps::Step step(m_steps, ModalSteps::Kind::Menu);
        chosen = static_cast<UINT>(TrackPopupMenu(
            mnuPopup.get(), TPM_LEFTALIGN | TPM_LEFTBUTTON | TPM_RETURNCMD | TPM_NONOTIFY, at.x,
            at.y, 0, m_window, nullptr));
    }
    // Dismissed, the selection stays shown.
    if (chosen >= kFirstSelectionId && chosen - kFirstSelectionId < std::size(kSelectionMenu) &&
        !m_host.Closing()) {
        kSelectionMenu[chosen - kFirstSelectionId].run(*this);
    }
}

// Each output gets the selection's own copy, taken before anything can pump messages and start
// another cut.
void CaptureView::mnuPopupCopyToClipboard_Click() {
    m_commands.mnuPopupCopyToClipboard_Click([this] { return m_selection.Pixels(); });
}

void CaptureView::mnuPopupSaveBitmap_Click() {
    m_commands.mnuPopupSaveBitmap_Click([this] { return m_selection.Pixels(); });
}

void CaptureView::mnuPopupSavePng_Click() {
    m_commands.mnuPopupSavePng_Click([this] { return m_selection.Pixels(); });
}

void CaptureView::mnuPopupSaveIcon_Click() {
    m_commands.mnuPopupSaveIcon_Click([this] { return m_selection.Pixels(); });
}

void CaptureView::mnuPopupSaveCursor_Click() {
    m_commands.mnuPopupSaveCursor_Click([this] { return m_selection.Pixels(); });
}

void CaptureView::mnuPopupSetAsWallpaperMode_Click(std::int16_t Index) {
    m_commands.mnuPopupSetAsWallpaperMode_Click(Index, [this] { return m_selection.Pixels(); });
}

void CaptureView::mnuPopupReselect_Click() {
    ShowWindow(Picture1, SW_HIDE);
    m_selection.Clear();
    Shape1Changes([&](SelectionFrame& shape) { shape.Hide(); });
}

void CaptureView::mnuPopupAbort_Click() {
    m_host.EndCut();
}

} // namespace snarvik
