#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/win32.h"
#include "tray/cGlobalAtom.h"
#include "tray/cSysTray.h"
#include "tray/mSysTray.h"

namespace snarvik {
namespace {

constexpr UINT kOwnMessage = WM_APP + 1;

// Everything the window, the listener and the main window see, in order.
std::vector<std::string> gLog;

std::string Hex(std::uint64_t value) {
    char text[32];
    wsprintfA(text, "%X", static_cast<unsigned>(value));
    return text;
}

bool Tracked(UINT message) {
    return message == WM_NULL || message == WM_COMMAND || message == WM_HOTKEY ||
           message == kTrayCallbackMessage || message == kOwnMessage;
}

// Stands for the main window's own procedure: a distinct result per message.
LRESULT CALLBACK PreviousProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (Tracked(message)) {
        gLog.push_back("prev " + Hex(message) + " " + Hex(wParam));
        return 0x10000 + static_cast<LRESULT>(message);
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT CALLBACK LaterSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(window, message, wParam, lParam);
}

struct Listener final : cSysTrayEvents {
    bool throwOnMenuClick = false;
    std::function<void(std::int16_t)> onMenuClick;
    std::function<void()> onMouseDown;

    static void Log(const char* event, std::int16_t button, std::uint32_t id) {
        std::string line = event;
        line.append(" ").append(Hex(static_cast<std::uint16_t>(button)));
        gLog.push_back(line.append(" ").append(Hex(id)));
    }
    void MouseMove(std::uint32_t& ID) override { gLog.push_back("MouseMove " + Hex(ID)); }
    void MouseDown(std::int16_t& Button, std::uint32_t& ID) override {
        Log("MouseDown", Button, ID);
        if (onMouseDown) {
            onMouseDown();
        }
    }
    void MouseUp(std::int16_t& Button, std::uint32_t& ID) override { Log("MouseUp", Button, ID); }
    void MouseDblClick(std::int16_t& Button, std::uint32_t& ID) override {
        Log("MouseDblClick", Button, ID);
    }
    void MenuClick(std::int16_t& Index) override {
        gLog.push_back("MenuClick " + Hex(static_cast<std::uint16_t>(Index)));
        if (onMenuClick) {
            onMenuClick(Index);
        }
        if (throwOnMenuClick) {
            throw std::runtime_error("handler failed");
        }
    }
};

struct Main final : mSysTray::MainWindow {
    std::function<void()> onOutermostEnd;
    int depth = 0;

    void MenuClick(std::int16_t& Index) override {
        gLog.push_back("Main.MenuClick " + Hex(static_cast<std::uint16_t>(Index)));
    }
    void BeginDispatch() noexcept override {
        ++depth;
        gLog.push_back("Begin");
    }
    void EndDispatch() noexcept override {
        gLog.push_back("End");
        if (--depth == 0 && onOutermostEnd) {
            onOutermostEnd();
        }
    }
};

// What went to the shell, and what the shell answered.
struct Sent {
    DWORD message;
    NOTIFYICONDATAA record;
    BOOL result;
};
std::vector<Sent> gSent;
std::function<void()> gBeforeDelete;

BOOL WatchShell(DWORD message, NOTIFYICONDATAA* record) {
    if (message == NIM_DELETE && gBeforeDelete) {
        gBeforeDelete();
    }
    const BOOL result = Shell_NotifyIconA(message, record);
    gSent.push_back({message, *record, result});
    return result;
}

// Asks the shell itself whether it holds our icon.
bool ShellHasIcon(HWND window) {
    NOTIFYICONDATAA record = MakeNotifyRecord(window, 0, 0, nullptr, {});
    return Shell_NotifyIconA(NIM_MODIFY, &record) != FALSE;
}

// Runs the probe next to this test program: 0 when it could take Print Screen, 1 when not.
DWORD HotkeyProbe() {
    std::string command = win::ModuleFolder();
    command.insert(0, 1, '"');
    command.append("\\tray_hotkey_probe.exe\"");
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                       &startup, &process) == FALSE) {
        ADD_FAILURE() << "cannot start " << command << ": " << win::SystemMessage(GetLastError());
        return 99;
    }
    win::UniqueHandle processHandle(process.hProcess);
    win::UniqueHandle threadHandle(process.hThread);
    DWORD code = 98;
    if (WaitForSingleObject(process.hProcess, 30000) == WAIT_OBJECT_0) {
        GetExitCodeProcess(process.hProcess, &code);
    }
    return code;
}

std::string AtomName(ATOM atom) {
    char name[256] = {};
    const UINT length = GlobalGetAtomNameA(atom, name, sizeof name);
    return std::string(name, length);
}

void Pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE) != FALSE) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

WNDPROC WindowProcOf(HWND window) {
    return reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window, GWLP_WNDPROC));
}

class TrayTest : public ::testing::Test {
protected:
    void SetUp() override {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = &PreviousProc;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "SnarvikTrayTest";
        RegisterClassA(&windowClass);
        window_ = CreateWindowExA(0, "SnarvikTrayTest", "", WS_POPUP, 0, 0, 10, 10, nullptr,
                                  nullptr, GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(window_, nullptr);
        mSysTray::SetMainWindow(&main_);
        ReplaceShellNotify(&WatchShell);
        gLog.clear();
        gSent.clear();
    }
    void TearDown() override {
        gBeforeDelete = nullptr;
        ReplaceShellNotify(nullptr);
        mSysTray::SetMainWindow(nullptr);
        DestroyWindow(window_);
        gLog.clear();
        gSent.clear();
    }

    PictureRef AppIcon(LPCSTR which = IDI_APPLICATION) const {
        return std::make_shared<Picture>(Picture{PictureType::Icon, LoadIconA(nullptr, which)});
    }

    HWND window_ = nullptr;
    Listener listener_;
    Main main_;
};

TEST_F(TrayTest, ShowTwiceAddsOnceHideTwiceDeletesOnce) {
    cSysTray tray(window_, listener_);
    tray.TrayIcon(AppIcon());
    tray.InTray(true);
    tray.InTray(true);
    ASSERT_EQ(gSent.size(), 1u);
    EXPECT_EQ(gSent[0].message, static_cast<DWORD>(NIM_ADD));
    EXPECT_TRUE(gSent[0].result);
    EXPECT_TRUE(tray.InTray());
    EXPECT_EQ(WindowProcOf(window_), &mSysTray::SysTrayWndProc);
    EXPECT_EQ(mSysTray::mOldWndProc, &PreviousProc);
    EXPECT_TRUE(ShellHasIcon(window_));
    // Subclassing twice would make the hook call itself.
    EXPECT_EQ(SendMessageA(window_, kOwnMessage, 0, 0), 0x10000 + kOwnMessage);

    tray.InTray(false);
    tray.InTray(false);
    ASSERT_EQ(gSent.size(), 2u);
    EXPECT_EQ(gSent[1].message, static_cast<DWORD>(NIM_DELETE));
    EXPECT_EQ(gSent[1].record.uFlags, 0u);
    EXPECT_FALSE(tray.InTray());
    EXPECT_EQ(WindowProcOf(window_), &PreviousProc);
    EXPECT_FALSE(ShellHasIcon(window_));
}

TEST_F(TrayTest, AddCarriesWhatIsSet) {
    struct Case {
        bool icon;
        const char* tip;
        UINT flags;
    };
    const Case cases[] = {
        {false, "", NIF_MESSAGE},
        {true, "", NIF_MESSAGE | NIF_ICON},
        {false, "Tip", NIF_MESSAGE | NIF_TIP},
        {true, "Snarvik -- click for menu", NIF_MESSAGE | NIF_ICON | NIF_TIP},
        {false, "A tip of seventy characters, of which the tray shows only sixty-three.",
         NIF_MESSAGE | NIF_TIP},
    };
    const PictureRef icon = AppIcon();
    for (const Case& c : cases) {
        gSent.clear();
        {
            cSysTray tray(window_, listener_);
            tray.TrayTip(c.tip);
            if (c.icon) {
                tray.TrayIcon(icon);
            }
            EXPECT_TRUE(gSent.empty()) << "hidden changes reached the shell";
            tray.InTray(true);
        }
        ASSERT_EQ(gSent.size(), 2u) << c.tip;
        const NOTIFYICONDATAA& add = gSent[0].record;
        EXPECT_EQ(gSent[0].message, static_cast<DWORD>(NIM_ADD));
        EXPECT_EQ(add.cbSize, NOTIFYICONDATAA_V1_SIZE);
        EXPECT_EQ(add.uFlags, c.flags) << c.tip;
        EXPECT_EQ(add.hWnd, window_);
        EXPECT_EQ(add.uCallbackMessage, kTrayCallbackMessage);
        EXPECT_EQ(add.hIcon, c.icon ? static_cast<HICON>(icon->Handle) : nullptr);
        EXPECT_EQ(std::string(add.szTip), std::string(c.tip).substr(0, 63));
        EXPECT_EQ(gSent[1].message, static_cast<DWORD>(NIM_DELETE));
    }
}

TEST_F(TrayTest, ChangesWhileShownModifyOnlyTheirField) {
    cSysTray tray(window_, listener_);
    EXPECT_EQ(tray.TrayTip(), "Snarvik -- click for menu");
    tray.TrayTip("Hidden tip");
    tray.InTray(true);
    ASSERT_EQ(gSent.size(), 1u);
    EXPECT_STREQ(gSent[0].record.szTip, "Hidden tip");

    const PictureRef question = AppIcon(IDI_QUESTION);
    tray.TrayIcon(question);
    tray.TrayTip("");
    ASSERT_EQ(gSent.size(), 3u);
    EXPECT_EQ(gSent[1].message, static_cast<DWORD>(NIM_MODIFY));
    EXPECT_EQ(gSent[1].record.uFlags, static_cast<UINT>(NIF_ICON));
    EXPECT_EQ(gSent[1].record.hIcon, static_cast<HICON>(question->Handle));
    EXPECT_TRUE(gSent[1].result);
    EXPECT_EQ(gSent[2].message, static_cast<DWORD>(NIM_MODIFY));
    EXPECT_EQ(gSent[2].record.uFlags, static_cast<UINT>(NIF_TIP));
    EXPECT_EQ(gSent[2].record.szTip[0], '\0');
    EXPECT_EQ(tray.TrayIcon(), question);
    EXPECT_EQ(tray.TrayTip(), "");
}

TEST_F(TrayTest, RefusedPicturesChangeNothing) {
    cSysTray tray(window_, listener_);
    const PictureRef icon = AppIcon();
    tray.TrayIcon(icon);
    tray.InTray(true);
    gSent.clear();
    win::UniqueBitmap bitmap(CreateBitmap(4, 4, 1, 32, nullptr));
    tray.TrayIcon(nullptr);
    tray.TrayIcon(std::make_shared<Picture>(Picture{PictureType::Bitmap, bitmap.get()}));
    EXPECT_TRUE(gSent.empty());
    EXPECT_EQ(tray.TrayIcon(), icon);
}

TEST_F(TrayTest, TaskbarRestartAddsTheShownIconAgain) {
    cSysTray tray(window_, listener_);
    tray.TaskbarCreated();
    EXPECT_TRUE(gSent.empty());
    tray.InTray(true);
    tray.TrayTip("Current tip");
    // The shell forgets its icons when it restarts.
    NOTIFYICONDATAA record = MakeNotifyRecord(window_, 0, 0, nullptr, {});
    Shell_NotifyIconA(NIM_DELETE, &record);
    gSent.clear();
    tray.TaskbarCreated();
    ASSERT_EQ(gSent.size(), 1u);
    EXPECT_EQ(gSent[0].message, static_cast<DWORD>(NIM_ADD));
    EXPECT_TRUE(gSent[0].result);
    EXPECT_STREQ(gSent[0].record.szTip, "Current tip");
    EXPECT_TRUE(ShellHasIcon(window_));
}

std::string AtomNameNow() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return AtomNameFor(now);
}

// Makes a tray object and finds the atom it added, by the name it must carry.
std::unique_ptr<cSysTray> MakeTray(HWND window, cSysTrayEvents& listener, std::string& atomName) {
    const std::string before = AtomNameNow();
    auto tray = std::make_unique<cSysTray>(window, listener);
    const std::string after = AtomNameNow();
    atomName = GlobalFindAtomA(before.c_str()) != 0 ? before : after;
    return tray;
}

TEST_F(TrayTest, DestructionWhileShownReleasesInOrder) {
    std::string atomName;
    auto tray = MakeTray(window_, listener_, atomName);
    const ATOM atom = GlobalFindAtomA(atomName.c_str());
    ASSERT_NE(atom, 0) << atomName;
    EXPECT_EQ(HotkeyProbe(), 1u) << "Print Screen is free while the tray object lives";
    tray->InTray(true);

    DWORD probeAtDelete = 99;
    std::string atomAtDelete;
    gBeforeDelete = [&] {
        probeAtDelete = HotkeyProbe();
        atomAtDelete = AtomName(atom);
    };
    tray.reset();
    EXPECT_EQ(probeAtDelete, 0u) << "hotkey still held when the icon went";
    EXPECT_EQ(atomAtDelete, atomName) << "atom gone before the icon";
    ASSERT_EQ(gSent.size(), 2u);
    EXPECT_EQ(gSent[1].message, static_cast<DWORD>(NIM_DELETE));
    EXPECT_EQ(WindowProcOf(window_), &PreviousProc);
    EXPECT_EQ(mSysTray::mTrayPtr, nullptr);
    EXPECT_FALSE(ShellHasIcon(window_));
    EXPECT_EQ(GlobalFindAtomA(atomName.c_str()), 0);
    EXPECT_EQ(AtomName(atom), "");
}

TEST_F(TrayTest, DestructionWhileHiddenLeavesTheWindowAlone) {
    std::string atomName;
    auto tray = MakeTray(window_, listener_, atomName);
    tray->InTray(true);
    tray->InTray(false);
    // Someone else subclasses the window after the icon was removed.
    SetWindowLongPtrA(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&LaterSubclassProc));
    gSent.clear();
    tray.reset();
    EXPECT_TRUE(gSent.empty());
    EXPECT_EQ(WindowProcOf(window_), &LaterSubclassProc);
    EXPECT_EQ(HotkeyProbe(), 0u);
    EXPECT_EQ(GlobalFindAtomA(atomName.c_str()), 0);
}

// Every message the hook sees: bracketed, acted on, passed on, answered by the old procedure.
TEST_F(TrayTest, HookActsThenPassesOn) {
    struct Case {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
        const char* event; // what the listener or the main window hears, or ""
    };
    const Case cases[] = {
        {WM_COMMAND, 0x2003, 0, "MenuClick 3"},
        {WM_COMMAND, 0x12001, 0, ""},
        {WM_COMMAND, 0x1003, 0, ""},
        {WM_HOTKEY, 0xC123, 0x2C0000, "Main.MenuClick 2"},
        {WM_HOTKEY, 7, 0, "Main.MenuClick 2"},
        {kTrayCallbackMessage, 0, WM_LBUTTONDOWN, "MouseDown 1 0"},
        {kTrayCallbackMessage, 0, WM_RBUTTONDOWN, "MouseDown 2 0"},
        {kTrayCallbackMessage, 0, WM_LBUTTONDBLCLK, "MouseDblClick 1 0"},
        {kTrayCallbackMessage, 0, WM_RBUTTONUP, "MouseUp 2 0"},
        {kTrayCallbackMessage, 0, WM_MOUSEMOVE, "MouseMove 0"},
        {kTrayCallbackMessage, 0, WM_MBUTTONDOWN, ""},
        {kOwnMessage, 0x2003, 0, ""},
        {WM_NULL, 0, 0, ""},
    };
    cSysTray tray(window_, listener_);
    tray.InTray(true);
    for (const Case& c : cases) {
        gLog.clear();
        const LRESULT result = SendMessageA(window_, c.message, c.wParam, c.lParam);
        EXPECT_EQ(result, 0x10000 + static_cast<LRESULT>(c.message)) << Hex(c.message);
        std::vector<std::string> expected{"Begin"};
        if (*c.event != '\0') {
            expected.push_back(c.event);
        }
        expected.push_back("prev " + Hex(c.message) + " " + Hex(c.wParam));
        expected.push_back("End");
        EXPECT_EQ(gLog, expected) << Hex(c.message) << " " << Hex(c.wParam);
    }
}

TEST_F(TrayTest, PostedMessagesReachTheirHandlers) {
    cSysTray tray(window_, listener_);
    tray.InTray(true);
    PostMessageA(window_, WM_COMMAND, 0x2003, 0);
    PostMessageA(window_, WM_HOTKEY, 0xC001, 0);
    Pump();
    const std::vector<std::string> expected{
        "Begin", "MenuClick 3",      "prev 111 2003", "End",
        "Begin", "Main.MenuClick 2", "prev 312 C001", "End",
    };
    EXPECT_EQ(gLog, expected);
}

TEST_F(TrayTest, FailingHandlerStillPassesOn) {
    cSysTray tray(window_, listener_);
    tray.InTray(true);
    listener_.throwOnMenuClick = true;
    EXPECT_EQ(SendMessageA(window_, WM_COMMAND, 0x2002, 0), 0x10000 + WM_COMMAND);
    const std::vector<std::string> expected{"Begin", "MenuClick 2", "prev 111 2002", "End"};
    EXPECT_EQ(gLog, expected);
}

// Exit chosen in a nested dispatch, carried out once the outermost dispatch ends.
TEST_F(TrayTest, ExitDeferredToTheOutermostDispatch) {
    auto tray = std::make_unique<cSysTray>(window_, listener_);
    tray->InTray(true);
    bool exitChosen = false;
    // A press opens the menu, whose command arrives inside the press's dispatch.
    listener_.onMouseDown = [&] {
        SendMessageA(window_, WM_COMMAND, 0x2006, 0);
    };
    listener_.onMenuClick = [&](std::int16_t index) {
        exitChosen = index == 6;
    };
    main_.onOutermostEnd = [&] {
        if (exitChosen) {
            tray.reset();
        }
    };
    gLog.clear();
    EXPECT_EQ(SendMessageA(window_, kTrayCallbackMessage, 0, WM_LBUTTONDOWN),
              0x10000 + static_cast<LRESULT>(kTrayCallbackMessage));
    EXPECT_EQ(tray, nullptr);
    EXPECT_EQ(WindowProcOf(window_), &PreviousProc);
    const std::vector<std::string> expected{
        "Begin",         "MouseDown 1 0", "Begin",      "MenuClick 6",
        "prev 111 2006", "End",           "prev 465 0", "End",
    };
    EXPECT_EQ(gLog, expected);
    // Afterwards messages go straight to the old procedure.
    gLog.clear();
    SendMessageA(window_, WM_COMMAND, 0x2003, 0);
    EXPECT_EQ(gLog, std::vector<std::string>{"prev 111 2003"});
}

} // namespace
} // namespace snarvik
