// Writes a shortcut (.lnk) to a program into a folder, by letting the shell make its own
// recent-documents shortcut to the target and rewriting a copy of it.
#pragma once
#include <windows.h>

#include "shell/shell_link.h"

#include <chrono>
#include <functional>
#include <string>

namespace snarvik::mCreateShortcut {

// Shows a message box and gives back the button pressed (IDOK...). Texts are UTF-16 so that
// the French messages read right in any code page.
using MessageFunction = std::function<int(HWND owner, const std::wstring& text,
                                          const std::wstring& caption, UINT type)>;

// How long CreateShortcut waits for the shell, and how it asks the user. Tests shorten the
// waits and answer the boxes themselves.
struct WaitOptions {
    // The "wait longer?" prompt comes when the shell's shortcut has not appeared for this long.
    std::chrono::milliseconds promptAfter{5184};
    // Longest wait for the shell's shortcut to be complete once it exists.
    std::chrono::milliseconds contentLimit{10000};
    std::chrono::milliseconds pollInterval{50};
    MessageFunction message; // empty: MessageBoxW
};

// Writes Folder\LinkName.lnk pointing at TargetPath. Folder is a special-folder id (a number,
// or text that reads as one) or an existing folder path; owner owns the shell's requests and
// every message box. Texts are ANSI. Returns true when the shortcut was written; every failure
// has been shown to the user, and then no shortcut (not even a partial one) is left behind.
bool CreateShortcut(HWND owner, const ShortcutFolder& Folder, const std::string& LinkName,
                    const std::string& TargetPath, const std::string& Arguments,
                    const std::string& WorkingDir, int IconIndex, const std::string& IconFile,
                    int ShowCommand, const WaitOptions& options = {});

// The path of a special folder (CSIDL), or empty when the shell cannot resolve it.
std::string GetSpecialFolderPath(HWND owner, int FolderId);

} // namespace snarvik::mCreateShortcut
