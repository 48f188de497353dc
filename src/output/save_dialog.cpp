#include <windows.h>
#include <commdlg.h>
#include <cderr.h>

#include "output/save_dialog.h"

#include "base/win32.h"
#include "output/file_names.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <optional>
#include <vector>

namespace snarvik {

namespace {

// Any path the dialog can return, long paths included.
constexpr DWORD kBufferSize = 32768;

std::wstring CurrentDirectory() {
    const DWORD needed = GetCurrentDirectoryW(0, nullptr);
    if (needed == 0) {
        return {};
    }
    std::vector<wchar_t> buffer(needed + 1);
    const DWORD length = GetCurrentDirectoryW(static_cast<DWORD>(buffer.size()), buffer.data());
    return length == 0 || length >= buffer.size() ? std::wstring{}
                                                  : std::wstring(buffer.data(), length);
}

Failure DialogFailure(DWORD error) {
    std::string reason;
    switch (error) {
    case FNERR_BUFFERTOOSMALL:
        reason = "The chosen path is too long. A path of at most " +
                 std::to_string(kBufferSize - 1) +
                 " characters can be used; choose a shorter file name or folder.";
        break;
    case FNERR_INVALIDFILENAME:
        reason = "The chosen file name is not valid.";
        break;
    case CDERR_MEMALLOCFAILURE:
    case CDERR_MEMLOCKFAILURE:
        reason = "There is not enough memory to show the dialog.";
        break;
    default:
        reason = "The dialog could not be shown.";
        break;
    }
    std::array<char, 16> code{};
    std::snprintf(code.data(), code.size(), "0x%04lX", static_cast<unsigned long>(error));
    return {"The file could not be saved",
            reason + "\n(Save dialog error " + code.data() + ".) Nothing was written."};
}

} // namespace

Result<std::string> ShowSaveDialog(HWND owner, const std::string& defaultName,
                                   const std::string& folder) {
    const std::optional<std::string> filter = DialogFilter(defaultName);
    const std::wstring wideFilter = filter ? win::Wide(*filter) : std::wstring{};
    const std::wstring initialDirectory = folder.empty() ? CurrentDirectory() : win::Wide(folder);

    // The default name is offered NUL-terminated: padding it with blanks makes the dialog
    // return them, or fail, or worse.
    std::vector<wchar_t> file(kBufferSize, L'\0');
    const std::wstring offered = win::Wide(defaultName);
    offered.copy(file.data(), std::min<std::size_t>(offered.size(), kBufferSize - 1));

    OPENFILENAMEW dialog{};
    dialog.lStructSize = OPENFILENAME_SIZE_VERSION_400W;
    dialog.hwndOwner = owner;
    dialog.hInstance = GetModuleHandleW(nullptr);
    dialog.lpstrFilter = filter ? wideFilter.c_str() : nullptr;
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = kBufferSize;
    dialog.lpstrInitialDir = initialDirectory.empty() ? nullptr : initialDirectory.c_str();
    dialog.lpstrTitle = L"Save Graphic";
    // No overwrite prompt, by design.
    dialog.Flags = OFN_NOCHANGEDIR;

    auto* show = SNARVIK_LATER(L"comdlg32.dll", GetSaveFileNameW);
    auto* failure = SNARVIK_LATER(L"comdlg32.dll", CommDlgExtendedError);
    if (show == nullptr || failure == nullptr) {
        return DialogFailure(CDERR_INITIALIZATION);
    }
    if (show(&dialog) != FALSE) {
        std::string path = win::Utf8(file.data());
        while (!path.empty() && path.back() == ' ') {
            path.pop_back();
        }
        return path.empty() ? Result<std::string>{} : Result<std::string>{std::move(path)};
    }
    const DWORD error = failure();
    return error != 0 ? Result<std::string>{DialogFailure(error)} : Result<std::string>{};
}

} // namespace snarvik
