// What the Win32 tests share: scratch folders, files, the message queue, the tray, the hotkey
// and answers to popup menus.
#pragma once
#include <windows.h>
#include <shellapi.h>

#include "base/win32.h"

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace snarvik::testing_support {

// Paths are UTF-8, as in the program.
inline std::filesystem::path PathOf(const std::string& utf8) {
    return win::Wide(utf8);
}

// A fresh folder under the temp folder, removed with its files afterwards.
class TempFolder {
public:
    explicit TempFolder(const std::string& name = "snv") {
        static int count = 0;
        m_path = win::Utf8((std::filesystem::temp_directory_path() /
                            win::Wide(name + std::to_string(GetCurrentProcessId()) + "-" +
                                      std::to_string(++count)))
                               .wstring());
        std::filesystem::create_directories(PathOf(m_path));
    }
    ~TempFolder() {
        for (const std::string& name : Files()) {
            SetFileAttributesW(win::Wide(*this / name).c_str(), FILE_ATTRIBUTE_NORMAL);
        }
        std::error_code ignored;
        std::filesystem::remove_all(PathOf(m_path), ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& path() const { return m_path; }
    std::string operator/(const std::string& name) const { return m_path + "\\" + name; }
    std::vector<std::string> Files() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(PathOf(m_path))) {
            names.push_back(win::Utf8(entry.path().filename().wstring()));
        }
        return names;
    }

private:
    std::string m_path;
};

inline std::vector<std::uint8_t> ReadAll(const std::string& path) {
    std::ifstream in(PathOf(path), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline bool WriteAll(const std::string& path, const std::string& text) {
    std::ofstream out(PathOf(path), std::ios::binary);
    return static_cast<bool>(out << text);
}

// Runs what is queued for this thread.
inline void Pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE) != FALSE) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

// Asks the shell whether it holds the icon 0 of window.
inline bool ShellHasIcon(HWND window) {
    NOTIFYICONDATAA record{};
    record.cbSize = NOTIFYICONDATAA_V1_SIZE;
    record.hWnd = window;
    return Shell_NotifyIconA(NIM_MODIFY, &record) != FALSE;
}

// Whether Print Screen can be taken as a hotkey now, by anyone.
inline bool PrintScreenIsFree() {
    if (RegisterHotKey(nullptr, 0xBFFE, 0, VK_SNAPSHOT) == FALSE) {
        return false;
    }
    UnregisterHotKey(nullptr, 0xBFFE);
    return true;
}

// While it lives, every popup menu this thread opens gets `key` as a user would type it: an
// access key character, or VK_ESCAPE to dismiss the menu.
class MenuAnswers {
public:
    explicit MenuAnswers(WPARAM key)
        : m_hook(SetWindowsHookExA(WH_CBT, &Hook, nullptr, GetCurrentThreadId())), m_key(key) {
        s_current = this;
    }
    ~MenuAnswers() { UnhookWindowsHookEx(m_hook); }
    MenuAnswers(const MenuAnswers&) = delete;
    MenuAnswers& operator=(const MenuAnswers&) = delete;

    void Answer(WPARAM key) { m_key = key; }
    int opened() const { return m_opened; }

private:
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam) {
        char name[16] = {};
        if (code == HCBT_CREATEWND && s_current != nullptr &&
            GetClassNameA(reinterpret_cast<HWND>(wParam), name, sizeof name) > 0 &&
            std::strcmp(name, "#32768") == 0) {
            ++s_current->m_opened;
            const WPARAM key = s_current->m_key;
            PostMessageA(reinterpret_cast<HWND>(wParam), key == VK_ESCAPE ? WM_KEYDOWN : WM_CHAR,
                         key, 0);
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }

    inline static MenuAnswers* s_current = nullptr;
    HHOOK m_hook = nullptr;
    WPARAM m_key;
    int m_opened = 0;
};

} // namespace snarvik::testing_support
