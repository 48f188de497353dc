#include <windows.h>
#include <shlobj.h>

#include "tray/print_screen.h"

#include "base/win32.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace snarvik {

namespace {

constexpr const wchar_t* kKeyboardKey = L"Control Panel\\Keyboard";
constexpr const wchar_t* kSystemCaptureValue = L"PrintScreenKeyForSnippingEnabled";
constexpr std::streamsize kLongestSettingsFile = 64 * 1024;

std::optional<std::uint32_t> ReadSystemCapture() {
    DWORD value = 0;
    DWORD size = sizeof value;
    if (RegGetValueW(HKEY_CURRENT_USER, kKeyboardKey, kSystemCaptureValue, RRF_RT_REG_DWORD,
                     nullptr, &value, &size) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    return value;
}

// The build as it is: unlike GetVersionEx, not what a compatibility layer makes of it.
std::uint32_t WindowsBuild() {
    using GetVersionFunction = LONG(WINAPI*)(OSVERSIONINFOW*);
    const FARPROC found = GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion");
    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof version;
    if (found == nullptr ||
        reinterpret_cast<GetVersionFunction>(reinterpret_cast<void*>(found))(&version) != 0) {
        return 0;
    }
    return version.dwBuildNumber;
}

bool OneDriveHoldsPrintScreen() {
    wchar_t* local = nullptr;
    if (FAILED(SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, &local))) {
        CoTaskMemFree(local);
        return false;
    }
    const std::wstring folder = std::wstring(local) + L"\\Microsoft\\OneDrive\\settings\\Personal";
    CoTaskMemFree(local);
    WIN32_FIND_DATAW found{};
    const win::UniqueFind search(FindFirstFileW((folder + L"\\*_screenshot.dat").c_str(), &found));
    for (bool more = static_cast<bool>(search); more;
         more = FindNextFileW(search.get(), &found) != FALSE) {
        std::ifstream file(std::filesystem::path(folder + L"\\" + found.cFileName),
                           std::ios::binary);
        std::string text(kLongestSettingsFile, '\0');
        file.read(text.data(), kLongestSettingsFile);
        text.resize(static_cast<std::size_t>(file.gcount()));
        if (OneDriveSavesScreenshots(text)) {
            return true;
        }
    }
    return false;
}

} // namespace

PrintScreenFacts ReadPrintScreenFacts(bool registered) {
    return {registered, ReadSystemCapture(), WindowsBuild(), OneDriveHoldsPrintScreen()};
}

Failed TurnSystemCaptureOff() {
    const DWORD off = 0;
    const LSTATUS status = RegSetKeyValueW(HKEY_CURRENT_USER, kKeyboardKey, kSystemCaptureValue,
                                           REG_DWORD, &off, sizeof off);
    if (status != ERROR_SUCCESS) {
        return Failure{"Could not turn off \"PrintScreenKeyForSnippingEnabled\" in "
                       "\"HKEY_CURRENT_USER\\Control Panel\\Keyboard\"",
                       win::SystemMessage(static_cast<DWORD>(status))};
    }
    // Sent, not posted: once it returns, every window that reads the setting live has done so.
    // The area is named by the key's leaf, as the system names its own.
    SendMessageTimeoutW(HWND_BROADCAST, WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(L"Keyboard"),
                        SMTO_ABORTIFHUNG, 1000, nullptr);
    return std::nullopt;
}

} // namespace snarvik
