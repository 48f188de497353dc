#include <windows.h>

#include "app/first_run.h"

#include "app/startup_entry.h"
#include "base/settings.h"
#include "base/settings_store.h"
#include "base/win32.h"
#include "shell/mCreateShortcut.h"
#include "shell/mWebLink.h"

#include <vector>

namespace snarvik {

namespace {

// The entry of the startup apps list named after the shortcut's file; empty when there is none.
std::vector<std::uint8_t> StartupEntry(const std::string& linkFile) {
    const std::wstring name = win::Wide(linkFile);
    DWORD size = 0;
    if (RegGetValueW(HKEY_CURRENT_USER, kStartupApprovedKey, name.c_str(), RRF_RT_REG_BINARY,
                     nullptr, nullptr, &size) != ERROR_SUCCESS) {
        return {};
    }
    std::vector<std::uint8_t> value(size);
    if (RegGetValueW(HKEY_CURRENT_USER, kStartupApprovedKey, name.c_str(), RRF_RT_REG_BINARY,
                     nullptr, value.data(), &size) != ERROR_SUCCESS) {
        return {};
    }
    value.resize(size);
    return value;
}

// The running executable: a user may have renamed it, and the shortcut must start this one.
std::string ProgramPath() {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length < buffer.size()) {
            return win::Utf8({buffer.data(), length}); // empty when the system fails
        }
        buffer.resize(buffer.size() * 2);
    }
}

} // namespace

void RunFirstRunActions(HWND owner, const mCreateShortcut::WaitOptions& shell) {
    const auto init = settings::ParseInt32(
        settings::GetSetting(settings::kAppName, settings::kSection, settings::kInit, "0"));
    if (init.value_or(0) != 0) {
        return;
    }
    const std::string program = ProgramPath();
    const std::string folder = program.substr(0, program.find_last_of("\\/"));
    const std::string linkName = std::string("Shortcut to ") + settings::kAppName;
    // A start at logon that the user turned off stays off: the shortcut is not made again.
    bool started = StartupEntryDisabled(StartupEntry(linkName + ".lnk"));
    if (!started) {
        started = mCreateShortcut::CreateShortcut(
            owner, mCreateShortcut::ShortcutFolder{mCreateShortcut::kStartupFolder}, linkName,
            program, "", folder, 0, "", 0, shell);
    }
    if (shell.quitting && shell.quitting()) {
        return; // Exit was chosen in the wait or a message: nothing more opens
    }
    // Without the shortcut (its failure has been shown) the next start tries again.
    if (started) {
        settings::SaveSetting(settings::kAppName, settings::kSection, settings::kInit, "1");
    }
    mWebLink::OpenHelpPage(owner);
}

} // namespace snarvik
