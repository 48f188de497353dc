// Opens documents and web pages with whatever the user's system has for them. Fire and forget:
// the shell's answer is not examined and nothing is reported.
#pragma once
#include <windows.h>

#include "shell/home_page.h"

#include <string>

namespace snarvik::mWebLink {

// Opens Target (an address or a document) with the verb "open".
void OpenWebLink(HWND owner, const std::string& Target);

// Opens help.html beside the executable.
void OpenHelpPage(HWND owner);

// Opens the folder of a file in the shell's file window, the file selected.
void ShowInFolder(HWND owner, const std::string& path);

} // namespace snarvik::mWebLink
