#include <windows.h>

#include "app/first_run.h"

#include "base/settings.h"
#include "base/settings_store.h"
#include "base/win32.h"
#include "shell/mCreateShortcut.h"
#include "shell/mWebLink.h"

namespace snarvik {

void RunFirstRunActions(HWND owner, const mCreateShortcut::MessageFunction& message) {
    const auto init = settings::ParseInt32(
        settings::GetSetting(settings::kAppName, settings::kSection, settings::kInit, "0"));
    if (init.value_or(0) != 0) {
        return;
    }
    const std::string folder = win::ModuleFolder();
    mCreateShortcut::CreateShortcut(
        owner, mCreateShortcut::ShortcutFolder{mCreateShortcut::kStartupFolder},
        std::string("Shortcut to ") + settings::kAppName, folder + "\\snarvik.exe", "", folder, 0,
        "", 0, mCreateShortcut::WaitOptions{.message = message});
    settings::SaveSetting(settings::kAppName, settings::kSection, settings::kInit, "1");
    mWebLink::OpenHelpPage(owner);
}

} // namespace snarvik
