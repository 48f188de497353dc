#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

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

void ShowInFolder(HWND owner, const std::string& path) {
    const std::wstring file = win::Wide(path);
    if (PIDLIST_ABSOLUTE item = ILCreateFromPathW(file.c_str())) {
        const HRESULT shown = SHOpenFolderAndSelectItems(item, 0, nullptr, 0);
        ILFree(item);
        if (SUCCEEDED(shown)) {
            return;
        }
    }
    // A shell without that call: Explorer's own switch does the same.
    const std::wstring select = L"/select,\"" + file + L"\"";
    ShellExecuteW(owner, L"open", L"explorer.exe", select.c_str(), nullptr, SW_SHOWNORMAL);
}

} // namespace snarvik::mWebLink
