#include <windows.h>
#include <commdlg.h>
#include <cderr.h>

#include "output/ShowSaveDialog.h"

#include "output/file_names.h"

#include <array>
#include <cstdio>
#include <cstring>
#include <optional>
#include <vector>

namespace snarvik {

namespace {

constexpr DWORD kBufferSize = 255;

std::string CurrentDirectory() {
    const DWORD needed = GetCurrentDirectoryA(0, nullptr);
    if (needed == 0) {
        return {};
    }
    std::vector<char> buffer(needed + 1);
    const DWORD length = GetCurrentDirectoryA(static_cast<DWORD>(buffer.size()), buffer.data());
    return length == 0 || length >= buffer.size() ? std::string{}
                                                  : std::string(buffer.data(), length);
}

} // namespace

std::string SaveDialogResult::Message() const {
    if (outcome != Outcome::Failed) {
        return {};
    }
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
    return "The file could not be saved: " + reason + "\n(Save dialog error " + code.data() +
           ".) Nothing was written.";
}

SaveDialogResult ShowSaveDialog(HWND owner, const std::string& defaultName) {
    const std::optional<std::string> filter = DialogFilter(defaultName);
    const std::string initialDirectory = CurrentDirectory();

    // The default name is offered NUL-terminated: padding it with blanks makes the dialog
    // return them, or fail, or worse.
    std::array<char, kBufferSize> file{};
    defaultName.copy(file.data(), file.size() - 1);
    std::array<char, kBufferSize> title{};

    OPENFILENAMEA dialog{};
    dialog.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
    dialog.hwndOwner = owner;
    dialog.hInstance = GetModuleHandleA(nullptr);
    dialog.lpstrFilter = filter ? filter->c_str() : nullptr;
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = kBufferSize;
    dialog.lpstrFileTitle = title.data();
    dialog.nMaxFileTitle = kBufferSize;
    dialog.lpstrInitialDir = initialDirectory.empty() ? nullptr : initialDirectory.c_str();
    dialog.lpstrTitle = "Save Graphic";
    dialog.Flags = 0; // no overwrite prompt, by design

    SaveDialogResult result;
    if (GetSaveFileNameA(&dialog) != FALSE) {
        std::string path(file.data(), strnlen(file.data(), file.size()));
        while (!path.empty() && path.back() == ' ') {
            path.pop_back();
        }
        if (!path.empty()) {
            result.outcome = SaveDialogResult::Outcome::Chosen;
            result.path = std::move(path);
        }
        return result;
    }
    result.error = CommDlgExtendedError();
    if (result.error != 0) {
        result.outcome = SaveDialogResult::Outcome::Failed;
    }
    return result;
}

} // namespace snarvik
