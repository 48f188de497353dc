#include <windows.h>
#include <shellapi.h>

#include "shell/mWebLink.h"

#include "app/win32.h"

namespace snarvik::mWebLink {

void OpenWebLink(HWND owner, const std::string& Target) {
    ShellExecuteA(owner, "open", Target.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void OpenHelpPage(HWND owner) {
    const std::string page = win::ModuleFolder() + "\\help.html";
    ShellExecuteA(owner, "Open", page.c_str(), "", "", SW_SHOWNORMAL);
}

} // namespace snarvik::mWebLink
