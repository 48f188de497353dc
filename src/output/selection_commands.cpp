#include <windows.h>

#include "output/selection_commands.h"

#include "base/settings.h"
#include "base/settings_store.h"
#include "base/win32.h"
#include "output/mChangeWallpaper.h"
#include "output/mCopyPicToClipboard.h"
#include "output/save_picture.h"

#include <shlobj.h>

#include <exception>

namespace snarvik {

namespace {

std::string FolderOf(const std::string& path) {
    const auto slash = path.find_last_of("\\/");
    if (slash == std::string::npos) {
        return {};
    }
    return path.substr(0, slash == 2 && path[1] == ':' ? 3 : slash); // "C:\" whole
}

// The user's Pictures folder; empty if the shell knows none.
std::string PicturesFolder() {
    wchar_t* found = nullptr;
    std::string folder;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_Pictures, 0, nullptr, &found))) {
        folder = win::Utf8(found);
    }
    CoTaskMemFree(found);
    return folder;
}

bool Exists(const std::string& path) {
    return GetFileAttributesW(win::FilePath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

} // namespace

SelectionCommands::SelectionCommands(SelectionHost& host, std::int32_t& number)
    : m_host(host), mNumber(number),
      m_lastFolder(settings::GetSetting(settings::kAppName, settings::kSection,
                                        settings::kLastFolder, "")) {}

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
        Saved(*path);
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
            Saved(*path);
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
        Saved(*path);
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
        Saved(*path);
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
    if (const std::string folder = FolderOf(chosen.value()); !folder.empty()) {
        m_lastFolder = folder; // the dialog's next start, whatever becomes of this save
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

void SelectionCommands::mnuPopupQuickSave_Click(const SelectionPixels& selection) {
    Guarded("quick save the selection", [&] {
        const Image image = selection();
        const std::string folder = m_lastFolder.empty() ? PicturesFolder() : m_lastFolder;
        if (folder.empty()) {
            m_host.ShowError({"Could not quick save the selection",
                              "Windows names no Pictures folder to save it in. Save it once with "
                              "a dialog: quick saves then go where that file went"});
            return;
        }
        // A name free now may be taken before the file is in place: then the next one.
        std::int32_t number = mNumber;
        for (int attempt = 0;; ++attempt) {
            const std::optional<std::int32_t> free =
                FreeNumber(FileKind::Png, number,
                           [&](const std::string& name) { return Exists(folder + "\\" + name); });
            if (!free) {
                m_host.ShowError(
                    {"Could not quick save the selection",
                     "every name of the running number is taken in \"" + folder + "\""});
                return;
            }
            number = *free;
            const std::string path = folder + "\\" + DefaultName(FileKind::Png, number);
            const Failed failed =
                SavePicture(path, image, FileKind::Png, win::AtomicFile::Existing::Keep);
            if (failed && Exists(path) && attempt < 10) {
                number = NextNumber(number);
                continue;
            }
            if (failed) {
                m_host.ShowError(*failed);
                return;
            }
            mNumber = number;
            Saved(path);
            m_host.EndCut();
            m_host.ShowSaved(path);
            return;
        }
    });
}

void SelectionCommands::Saved(const std::string& path) {
    mNumber = NextNumber(mNumber);
    m_lastFolder = FolderOf(path);
    for (const auto& [name, value] : {std::pair{settings::kNumber, std::to_string(mNumber)},
                                      std::pair{settings::kLastFolder, m_lastFolder}}) {
        const LONG status =
            settings::SaveSetting(settings::kAppName, settings::kSection, name, value);
        if (status != ERROR_SUCCESS) {
            m_host.ShowError({"The file was saved, but the next file number and its folder "
                              "could not be stored in the registry",
                              win::SystemMessage(static_cast<DWORD>(status))});
            return;
        }
    }
}

} // namespace snarvik
