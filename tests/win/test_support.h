// What the Win32 tests share: scratch folders, files, the screen, the message queue, the tray,
// the hotkey and answers to popup menus.
#pragma once
#include <windows.h>
#include <shellapi.h>

#include "base/image.h"
#include "base/win32.h"
#include "capture/surface.h"

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
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

// The bitmap's pixels as 32-bit rows top to bottom, as the system gives them; empty on failure.
inline Image ImageOfBitmap(HBITMAP bitmap) {
    BITMAP facts{};
    if (bitmap == nullptr || GetObjectW(bitmap, sizeof facts, &facts) != sizeof facts) {
        return {};
    }
    Image image(facts.bmWidth, facts.bmHeight);
    BITMAPINFO info = win::TopDown32(image.width(), image.height());
    const win::WindowDC screen(nullptr);
    if (image.empty() || GetDIBits(screen.get(), bitmap, 0, static_cast<UINT>(image.height()),
                                   image.row(0), &info, DIB_RGB_COLORS) != image.height()) {
        return {};
    }
    return image;
}

// The colour image of an icon that the system loaded.
inline Image ImageOfIcon(HICON icon) {
    ICONINFO parts{};
    if (icon == nullptr || GetIconInfo(icon, &parts) == FALSE) {
        return {};
    }
    const win::UniqueBitmap colour(parts.hbmColor), mask(parts.hbmMask);
    return ImageOfBitmap(colour.get());
}

// What the display shows now in r, alpha dropped.
inline Image ScreenImage(const RECT& r) {
    Image shown(r.right - r.left, r.bottom - r.top);
    const Surface shot(shown.width(), shown.height());
    const win::UniqueDC display(CreateDCW(L"DISPLAY", nullptr, nullptr, nullptr));
    BitBlt(shot.dc(), 0, 0, shown.width(), shown.height(), display.get(), r.left, r.top, SRCCOPY);
    GdiFlush();
    for (std::size_t i = 0; i < shown.pixels().size(); ++i) {
        shown.pixels()[i] = shot.bits()[i] & 0xFFFFFFU;
    }
    return shown;
}

// Under Wine, in the test harness's own prefix, or on a developer's own Windows.
inline bool UnderWine() {
    return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

// For its life, HKEY_CURRENT_USER of this process is a scratch key: whatever a test writes or
// deletes there leaves the user's own settings alone, even when the test dies halfway (then
// only the scratch key is left behind).
class ScratchUserKey {
public:
    ScratchUserKey()
        : m_name(L"Software\\Snarvik tests\\" + std::to_wstring(GetCurrentProcessId())) {
        RegDeleteTreeW(HKEY_CURRENT_USER, m_name.c_str());
        HKEY key = nullptr;
        m_made = RegCreateKeyExW(HKEY_CURRENT_USER, m_name.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                 nullptr, &key, nullptr) == ERROR_SUCCESS &&
                 RegOverridePredefKey(HKEY_CURRENT_USER, key) == ERROR_SUCCESS;
        if (key != nullptr) {
            RegCloseKey(key); // the override holds its own handle
        }
    }
    ~ScratchUserKey() {
        RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
        RegDeleteTreeW(HKEY_CURRENT_USER, m_name.c_str());
        RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\Snarvik tests"); // when no other test's
    }
    ScratchUserKey(const ScratchUserKey&) = delete;
    ScratchUserKey& operator=(const ScratchUserKey&) = delete;
    // False: the user's own key would be written; the test must not run.
    bool made() const { return m_made; }

private:
    std::wstring m_name;
    bool m_made = false;
};

// Runs what is queued for this thread. Under Wine what it painted reaches the screen when the
// thread next waits: so it does, for no time.
inline void Pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE) != FALSE) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 0, QS_ALLINPUT);
}

// The shell's record of the icon 0 of window, with nothing in it to change.
inline NOTIFYICONDATAA IconRecord(HWND window) {
    NOTIFYICONDATAA record{};
    record.cbSize = NOTIFYICONDATAA_V1_SIZE;
    record.hWnd = window;
    return record;
}

// Asks the shell whether it holds the icon 0 of window.
inline bool ShellHasIcon(HWND window) {
    NOTIFYICONDATAA record = IconRecord(window);
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

// From another thread, answers the program's next dialog of that title with OK (a file dialog
// with `typed` in its name box first, when given) and keeps its text: the text of the message,
// or "" when none came within ten seconds.
class DialogAnswer {
public:
    explicit DialogAnswer(const wchar_t* title = L"Snarvik", const wchar_t* typed = nullptr)
        : m_thread([this, title, typed] {
              for (int wait = 0; wait < 500; ++wait, Sleep(20)) {
                  if (HWND box = FindWindowW(L"#32770", title)) {
                      EnumChildWindows(box, &Collect, reinterpret_cast<LPARAM>(&m_text));
                      if (typed != nullptr) {
                          SetDlgItemTextW(box, 0x47c, typed);
                      }
                      PostMessageW(box, WM_COMMAND, IDOK, 0);
                      return;
                  }
              }
          }) {}
    ~DialogAnswer() { Text(); }
    DialogAnswer(const DialogAnswer&) = delete;
    DialogAnswer& operator=(const DialogAnswer&) = delete;

    const std::string& Text() {
        if (m_thread.joinable()) {
            m_thread.join();
        }
        return m_text;
    }

private:
    static BOOL CALLBACK Collect(HWND child, LPARAM text) {
        wchar_t kind[16] = {}, shown[1024] = {};
        GetClassNameW(child, kind, 16);
        if (lstrcmpiW(kind, L"Static") == 0 && GetWindowTextW(child, shown, 1024) > 0) {
            *reinterpret_cast<std::string*>(text) += win::Utf8(shown);
        }
        return TRUE;
    }

    std::string m_text;
    std::thread m_thread;
};

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
