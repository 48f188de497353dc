#include <windows.h>

#include "output/selection_commands.h"

#include "base/settings.h"
#include "base/settings_store.h"
#include "base/win32.h"
#include "output/mChangeWallpaper.h"
#include "output/mCopyPicToClipboard.h"
#include "output/save_picture.h"

#include <exception>

namespace snarvik {

void SelectionCommands::Guarded(const char* what, const std::function<void()>& command) {
    try {
        command();
    } catch (...) {
        m_host.ShowError(FailureOf(std::string("Could not ") + what, std::current_exception()));
    }
}

void SelectionCommands::mnuPopupCopyToClipboard_Click(const SelectionPixels& selection) {
    Guarded("copy the selection to the clipboard", [&] {
        const Failed copied = mCopyPicToClipboard::CopyPicToClipboard(m_host.Owner(), selection());
        m_host.EndCut();
        if (copied) {
            m_host.ShowError(*copied);
        }
    });
}

void SelectionCommands::mnuPopupSaveBitmap_Click(const SelectionPixels& selection) {
    Guarded("save the selection as a bitmap", [&] { SaveFile(FileKind::Bitmap, selection); });
}

void SelectionCommands::mnuPopupSavePng_Click(const SelectionPixels& selection) {
    Guarded("save the selection as a PNG file", [&] { SaveFile(FileKind::Png, selection); });
}

// The cut ends only once the file is written: a cancelled dialog leaves it up.
void SelectionCommands::SaveFile(FileKind kind, const SelectionPixels& selection) {
    const Image image = selection();
    const auto path = AskFileName(kind);
    if (path && SaveTo(*path, image, kind)) {
        AdvanceNumber();
        m_host.EndCut();
    }
}

void SelectionCommands::CopyPicture(const Image& picture) {
    Guarded("copy the picture to the clipboard", [&] {
        if (const Failed copied =
                mCopyPicToClipboard::CopyPicToClipboard(m_host.Owner(), picture)) {
            m_host.ShowError(*copied);
        }
    });
}

void SelectionCommands::SavePicturePng(const Image& picture) {
    Guarded("save the picture as a PNG file", [&] {
        const auto path = AskFileName(FileKind::Png);
        if (path && SaveTo(*path, picture, FileKind::Png)) {
            AdvanceNumber();
        }
    });
}

void SelectionCommands::mnuPopupSaveIcon_Click(const SelectionPixels& selection) {
    Guarded("save the selection as an icon", [&] { SaveIconFile(FileKind::Icon, selection); });
}

void SelectionCommands::mnuPopupSaveCursor_Click(const SelectionPixels& selection) {
    Guarded("save the selection as a cursor", [&] { SaveIconFile(FileKind::Cursor, selection); });
}

// The icon's images are made straight from the selection's pixels.
void SelectionCommands::SaveIconFile(FileKind kind, const SelectionPixels& selection) {
    const Image image = selection();
    m_host.EndCut();
    const auto path = AskFileName(kind);
    if (path && SaveTo(*path, image, kind)) {
        AdvanceNumber();
    }
}

void SelectionCommands::mnuPopupSetAsWallpaperMode_Click(std::int16_t Index,
                                                         const SelectionPixels& selection) {
    Guarded("make the selection the desktop wallpaper", [&] {
        const Image image = selection();
        const auto path = AskFileName(FileKind::Bitmap);
        if (!path || !SaveTo(*path, image, FileKind::Bitmap)) {
            return;
        }
        // The file is there whatever happens next: its number is used.
        AdvanceNumber();
        const Failed wallpaper = mChangeWallpaper::ChangeWallpaper(*path, Index);
        m_host.EndCut();
        if (wallpaper) {
            m_host.ShowError(*wallpaper);
        }
    });
}

std::optional<std::string> SelectionCommands::AskFileName(FileKind kind) {
    const Result<std::string> chosen = m_host.AskSaveName(DefaultName(kind, mNumber), m_lastFolder);
    if (chosen.failure()) {
        m_host.ShowError(*chosen.failure());
    }
    if (!chosen.ok()) {
        return std::nullopt;
    }
    const std::string& path = chosen.value();
    const auto slash = path.find_last_of("\\/");
    if (slash != std::string::npos) {
        m_lastFolder = path.substr(0, slash == 2 && path[1] == ':' ? 3 : slash); // "C:\" whole
    }
    return ForceExtension(path, ExtensionOf(kind));
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
