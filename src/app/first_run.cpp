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

} // namespace

void RunFirstRunActions(HWND owner, const mCreateShortcut::MessageFunction& message) {
    const auto init = settings::ParseInt32(
        settings::GetSetting(settings::kAppName, settings::kSection, settings::kInit, "0"));
    if (init.value_or(0) != 0) {
        return;
    }
    const std::string folder = win::ModuleFolder();
    const std::string linkName = std::string("Shortcut to ") + settings::kAppName;
    // A start at logon that the user turned off stays off: the shortcut is not made again.
    bool started = StartupEntryDisabled(StartupEntry(linkName + ".lnk"));
    if (!started) {
        started = mCreateShortcut::CreateShortcut(
            owner, mCreateShortcut::ShortcutFolder{mCreateShortcut::kStartupFolder}, linkName,
            folder + "\\snarvik.exe", "", folder, 0, "", 0,
            mCreateShortcut::WaitOptions{.message = message});
    }
    // Without the shortcut (its failure has been shown) the next start tries again.
    if (started) {
        settings::SaveSetting(settings::kAppName, settings::kSection, settings::kInit, "1");
    }
    mWebLink::OpenHelpPage(owner);
}

} // namespace snarvik
