#include <windows.h>
#include <commctrl.h>

#include "output/selection_commands.h"

#include "base/settings.h"
#include "base/settings_store.h"
#include "base/win32.h"
#include "output/gdi_pixels.h"
#include "output/mChangeWallpaper.h"
#include "output/mCopyPicToClipboard.h"
#include "output/save_picture.h"

namespace snarvik {

void SelectionCommands::mnuPopupCopyToClipboard_Click(const Image& selection) {
    const Failed copied = mCopyPicToClipboard::CopyPicToClipboard(m_host.Owner(), selection);
    m_host.EndCut();
    if (copied) {
        m_host.ShowError(*copied);
    }
}

void SelectionCommands::mnuPopupSaveBitmap_Click(const Image& selection) {
    SaveFile(FileKind::Bitmap, selection);
}

void SelectionCommands::mnuPopupSavePng_Click(const Image& selection) {
    SaveFile(FileKind::Png, selection);
}

// The cut ends only once the file is written: a cancelled dialog leaves it up.
void SelectionCommands::SaveFile(FileKind kind, const Image& selection) {
    const auto path = AskFileName(kind);
    if (path && SaveTo(*path, selection, kind)) {
        m_host.EndCut();
        AdvanceNumber();
    }
}

void SelectionCommands::mnuPopupSaveIcon_Click(const Image& selection) {
    SaveIconFile(FileKind::Icon, selection);
}

void SelectionCommands::mnuPopupSaveCursor_Click(const Image& selection) {
    SaveIconFile(FileKind::Cursor, selection);
}

void SelectionCommands::SaveIconFile(FileKind kind, const Image& selection) {
    m_host.EndCut();
    const auto path = AskFileName(kind);
    if (!path) {
        return;
    }
    // ImageList1 holds the selection as its one image; the icon is made from it. An empty
    // selection leaves no image to save; SavePicture says so.
    Image image;
    if (!selection.empty()) {
        SetLastError(ERROR_SUCCESS);
        auto* create = SNARVIK_LATER(L"comctl32.dll", ImageList_Create);
        auto* add = SNARVIK_LATER(L"comctl32.dll", ImageList_Add);
        auto* getIcon = SNARVIK_LATER(L"comctl32.dll", ImageList_GetIcon);
        const win::UniqueImageList ImageList1(
            create ? create(selection.width, selection.height, ILC_COLOR32, 1, 1) : nullptr);
        const win::UniqueBitmap bitmap = OpaqueBitmapOf(selection);
        win::UniqueIcon icon;
        if (ImageList1 && bitmap && add(ImageList1.get(), bitmap.get(), nullptr) == 0) {
            icon.reset(getIcon(ImageList1.get(), 0, ILD_NORMAL));
        }
        image = ImageOfIcon(icon.get());
        if (image.empty()) {
            const DWORD error = GetLastError();
            m_host.ShowError({"The icon could not be made from the selection, so \"" + *path +
                                  "\" was not written",
                              win::SystemMessage(error != 0 ? error : ERROR_NOT_ENOUGH_MEMORY)});
            return;
        }
    }
    if (SaveTo(*path, image, kind)) {
        AdvanceNumber();
    }
}

void SelectionCommands::mnuPopupSetAsWallpaperMode_Click(std::int16_t Index,
                                                         const Image& selection) {
    const auto path = AskFileName(FileKind::Bitmap);
    if (!path || !SaveTo(*path, selection, FileKind::Bitmap)) {
        return;
    }
    const Failed wallpaper = mChangeWallpaper::ChangeWallpaper(*path, Index);
    m_host.EndCut();
    AdvanceNumber();
    if (wallpaper) {
        m_host.ShowError(*wallpaper);
    }
}

std::optional<std::string> SelectionCommands::AskFileName(FileKind kind) {
    const Result<std::string> chosen = m_host.AskSaveName(DefaultName(kind, mNumber));
    if (chosen.failure()) {
        m_host.ShowError(*chosen.failure());
    }
    if (!chosen.ok()) {
        return std::nullopt;
    }
    return ForceExtension(chosen.value(), ExtensionOf(kind));
}

bool SelectionCommands::SaveTo(const std::string& path, const Image& image, FileKind kind) {
    const Failed saved = SavePicture(path, image, kind);
    if (saved) {
        m_host.ShowError(*saved);
    }
    return !saved;
}

void SelectionCommands::AdvanceNumber() {
    mNumber = NextNumber(mNumber);
    const LONG status = settings::SaveSetting(settings::kAppName, settings::kSection,
                                              settings::kNumber, std::to_string(mNumber));
    if (status != ERROR_SUCCESS) {
        m_host.ShowError({"The file was saved, but the next file number could not be stored in "
                          "the registry",
                          win::SystemMessage(static_cast<DWORD>(status))});
    }
}

} // namespace snarvik
