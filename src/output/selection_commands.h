// The selection menu's output commands: what Copy, the three Save items and the wallpaper
// items do with the released selection. They reach the window only through SelectionHost.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "base/image.h"
#include "output/file_names.h"
#include "output/save_dialog.h"

namespace snarvik {

class SelectionHost {
public:
    // The clipboard's owner.
    virtual HWND Owner() const = 0;
    // Ends the cut: the capture window hides.
    virtual void EndCut() = 0;
    // The "Save Graphic" dialog offering defaultName in folder (empty: the current one): the
    // chosen path, or a failure, or neither (cancelled).
    virtual Result<std::string> AskSaveName(const std::string& defaultName,
                                            const std::string& folder) = 0;
    virtual void ShowError(const Failure& failure) = 0;
    // Tells that a file was saved without a dialog: the tray's balloon.
    virtual void ShowSaved(const std::string& path) = 0;

protected:
    ~SelectionHost() = default;
};

// The selection's pixels, taken when a command starts, before anything can pump messages: a
// later grab cannot change what it writes. Taking them may throw (no memory for a copy).
using SelectionPixels = std::function<Image()>;

// mNumber is the window's running number of default names. Whatever a command throws is told
// as that command's failure.
class SelectionCommands {
public:
    // The folder of the last save is read from the settings.
    SelectionCommands(SelectionHost& host, std::int32_t& number);

    void mnuPopupCopyToClipboard_Click(const SelectionPixels& selection);
    void mnuPopupSaveBitmap_Click(const SelectionPixels& selection);
    void mnuPopupSavePng_Click(const SelectionPixels& selection);
    void mnuPopupSaveIcon_Click(const SelectionPixels& selection);
    void mnuPopupSaveCursor_Click(const SelectionPixels& selection);
    void mnuPopupSetAsWallpaperMode_Click(std::int16_t Index, const SelectionPixels& selection);
    // A PNG file without a dialog, under the next default name that is free in the folder of
    // the last save (the user's Pictures before any); never over a file. The cut stays up when
    // it cannot be written.
    void mnuPopupQuickSave_Click(const SelectionPixels& selection);

    // A pinned picture's Copy and Save as PNG: as the menu's items, with no cut to end.
    void CopyPicture(const Image& picture);
    void SavePicturePng(const Image& picture);

private:
    // Runs a command; what it throws becomes a message: "Could not <what>: <why>".
    void Guarded(const char* what, const std::function<void()>& command);
    // The chosen name with the kind's extension forced on; none when cancelled or failed (a
    // failure is reported).
    std::optional<std::string> AskFileName(FileKind kind);
    bool SaveTo(const std::string& path, const Image& image, FileKind kind);
    void SaveIconFile(FileKind kind, const SelectionPixels& selection);
    void SaveFile(FileKind kind, const SelectionPixels& selection);
    // The file at path is written: its number is used, its folder the last save's.
    void Saved(const std::string& path);

    SelectionHost& m_host;
    std::int32_t& mNumber;
    std::string m_lastFolder; // where the save dialog opens; empty: the current folder
};

} // namespace snarvik
