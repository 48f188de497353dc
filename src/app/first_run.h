// What the first start for a user does: start at logon, remember, show the help page.
#pragma once
#include <windows.h>

#include "shell/mCreateShortcut.h"

namespace snarvik {

// Reads "Init"; unless it holds a number other than 0, puts "Shortcut to Snarvik" to the
// running program, under whatever name it runs, into the Startup folder (unless the user
// disabled that entry among the startup apps), stores "Init" = "1" once the shortcut is there
// (or rightly not) and opens the help page. owner owns the shell's requests; shell shows any
// message and says when the program is quitting: an Exit chosen meanwhile (in the wait for the
// shell or in a message) ends the first run there, to run again at the next start.
void RunFirstRunActions(HWND owner, const mCreateShortcut::WaitOptions& shell);

} // namespace snarvik
