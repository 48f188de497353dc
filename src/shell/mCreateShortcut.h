// Writes a shortcut (.lnk) to a program into a folder. As a rule the shell makes its own
// recent-documents shortcut to the target and a rewritten copy of it is written; where that
// route cannot serve (a path outside the ANSI code page, or no shortcut from the shell in
// time), the shell's link object writes it.
#pragma once
#include <windows.h>

#include "shell/shell_link.h"

#include <chrono>
#include <functional>
#include <optional>
#include <string>

namespace snarvik::mCreateShortcut {

// The special folders that the program writes into (CSIDL values).
inline constexpr int kStartupFolder = 7;
inline constexpr int kRecentFolder = 8;

// Shows a message box and gives back the button pressed (IDOK...).
using MessageFunction =
    std::function<int(HWND owner, const std::string& text, const std::string& caption, UINT type)>;

// How long CreateShortcut waits for the shell, and how it shows messages. Tests shorten the
// waits and collect the messages.
struct WaitOptions {
    // Longest wait for the shell's shortcut to appear complete. The thread's messages are
    // handled meanwhile, so the caller's windows stay responsive (and may run anything).
    std::chrono::milliseconds linkWait{5184};
    std::chrono::milliseconds pollInterval{50};
    MessageFunction message; // empty: MessageBoxW
    // Asked during the wait: true (the program is quitting) ends it at once with nothing
    // written and nothing shown. A quit message does the same and stays queued.
    std::function<bool()> quitting;
};

// Writes Folder\LinkName.lnk pointing at TargetPath. Folder is a special-folder id (a number,
// or text that reads as one) or an existing folder path; owner owns the shell's requests and
// every message box. Texts are UTF-8. Returns true when the shortcut was written; every failure
// has been shown to the user, and then no shortcut (not even a partial one) is left behind.
// A wait ended by quitting gives false too, having shown nothing.
bool CreateShortcut(HWND owner, const ShortcutFolder& Folder, const std::string& LinkName,
                    const std::string& TargetPath, const std::string& Arguments,
                    const std::string& WorkingDir, int IconIndex, const std::string& IconFile,
                    int ShowCommand, const WaitOptions& options = {});

// The path of a special folder (CSIDL), or empty when the shell cannot resolve it.
std::string GetSpecialFolderPath(HWND owner, int FolderId);

// The text in the ANSI code page, or nothing when it does not convert there and back unchanged.
std::optional<std::string> ToAnsi(const std::string& utf8);

} // namespace snarvik::mCreateShortcut
