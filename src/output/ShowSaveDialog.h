// The "Save Graphic" dialog shared by the commands that write a file.
#pragma once
#include <windows.h>

#include <string>

namespace snarvik {

struct SaveDialogResult {
    enum class Outcome { Chosen, Cancelled, Failed };
    Outcome outcome = Outcome::Cancelled;
    std::string path; // the chosen path, trailing blanks removed (Chosen only)
    DWORD error = 0;  // CommDlgExtendedError (Failed only)

    // What to tell the user when the dialog failed; empty otherwise.
    std::string Message() const;
};

// Shows the save dialog owned by `owner`, offering `defaultName` in the current directory.
// The filter follows the default name's last three characters.
SaveDialogResult ShowSaveDialog(HWND owner, const std::string& defaultName);

} // namespace snarvik
