// The selection menu's output commands: what Copy, the three Save items and the wallpaper
// items do with the released selection. They reach the window only through SelectionHost.
#pragma once
#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

#include "capture/image.h"
#include "output/save_dialog.h"
#include "output/file_names.h"

namespace snarvik {

class SelectionHost {
public:
    // The clipboard's owner.
    virtual HWND Owner() const = 0;
    // Ends the cut: the capture window hides.
    virtual void EndCut() = 0;
    // The "Save Graphic" dialog offering defaultName: the chosen path, or a failure, or
    // neither (cancelled).
    virtual Result<std::string> AskSaveName(const std::string& defaultName) = 0;
    virtual void ShowError(const Failure& failure) = 0;

protected:
    ~SelectionHost() = default;
};

// Each command gets the selection's pixels, taken when the command started, so a later grab
// cannot change what it writes. mNumber is the window's running number of default names.
class SelectionCommands {
public:
    SelectionCommands(SelectionHost& host, std::int32_t& number) : m_host(host), mNumber(number) {}

    void mnuPopupCopyToClipboard_Click(const Image& selection);
    void mnuPopupSaveBitmap_Click(const Image& selection);
    void mnuPopupSavePng_Click(const Image& selection);
    void mnuPopupSaveIcon_Click(const Image& selection);
    void mnuPopupSaveCursor_Click(const Image& selection);
    void mnuPopupSetAsWallpaperMode_Click(std::int16_t Index, const Image& selection);

private:
    // The chosen name with the kind's extension forced on; none when cancelled or failed (a
    // failure is reported).
    std::optional<std::string> AskFileName(FileKind kind);
    bool SaveTo(const std::string& path, const Image& image, FileKind kind);
    void SaveIconFile(FileKind kind, const Image& selection);
    void SaveFile(FileKind kind, const Image& selection);
    void AdvanceNumber();

    SelectionHost& m_host;
    std::int32_t& mNumber;
};

} // namespace snarvik
