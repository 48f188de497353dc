#include <windows.h>
#include <shellapi.h>

#include "shell/mWebLink.h"

#include "base/win32.h"

namespace snarvik::mWebLink {

void OpenWebLink(HWND owner, const std::string& Target) {
    ShellExecuteW(owner, L"open", win::Wide(Target).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void OpenHelpPage(HWND owner) {
    const std::wstring page = win::Wide(win::ModuleFolder() + "\\help.html");
    ShellExecuteW(owner, L"Open", page.c_str(), L"", L"", SW_SHOWNORMAL);
}

} // namespace snarvik::mWebLink
