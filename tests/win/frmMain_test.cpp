// The main window as the program loads it: its states, how it ends, the tray coming back after
// a taskbar restart, and that cuts give back every handle they take.
#include <windows.h>

#include "capture/screen_grab.h"
#include "capture/surface.h"
#include "test_support.h"
#include "tray/tray_logic.h"
#include "ui/frmMain.h"

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>

namespace snarvik {
namespace {

using namespace testing_support;

// Loaded as the start routine does, as a later start (no first-run actions).
std::unique_ptr<frmMain> LoadForm(bool endsProcess = false) {
    return frmMain::Load(GetModuleHandleA(nullptr), {.endsProcess = endsProcess});
}

bool Hooked(HWND window) {
    return reinterpret_cast<WNDPROC>(GetWindowLongPtrW(window, GWLP_WNDPROC)) ==
           &mSysTray::SysTrayWndProc;
}

TEST(MainWindow, ShowsOnlyMaximisedOverTheWholeDesktopOrHidden) {
    const auto form = LoadForm();
    ASSERT_NE(form, nullptr);
    const HWND window = form->hWnd();
    EXPECT_FALSE(IsWindowVisible(window));
    form->StartCut(0);
    Pump();
    ASSERT_TRUE(IsWindowVisible(window));
    RECT rect{};
    GetWindowRect(window, &rect);
    const int left = GetSystemMetrics(SM_XVIRTUALSCREEN), top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    EXPECT_EQ((std::array{rect.left, rect.top, rect.right, rect.bottom}),
              (std::array<LONG, 4>{left, top, left + GetSystemMetrics(SM_CXVIRTUALSCREEN),
                                   top + GetSystemMetrics(SM_CYVIRTUALSCREEN)}));
    EXPECT_EQ(GetWindowLongPtrA(window, GWL_STYLE) &
                  (WS_CAPTION | WS_BORDER | WS_THICKFRAME | WS_SYSMENU),
              0);
    EXPECT_NE(GetWindowLongPtrA(window, GWL_EXSTYLE) & WS_EX_TOPMOST, 0) << "over the taskbar";

    form->SetWindowState(WindowState::Normal);
    EXPECT_TRUE(IsZoomed(window));
    ShowWindow(window, SW_RESTORE); // from outside the program
    Pump();
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_TRUE(IsZoomed(window));
    ShowWindow(window, SW_MINIMIZE);
    Pump();
    EXPECT_FALSE(IsWindowVisible(window));
}

TEST(MainWindow, CloseAndSessionEndExitCleanly) {
    const struct {
        UINT message;
        WPARAM wParam;
        bool ends;
    } cases[] = {{WM_CLOSE, 0, true}, {WM_ENDSESSION, TRUE, true}, {WM_ENDSESSION, FALSE, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message == WM_CLOSE ? "WM_CLOSE" : c.wParam ? "ending" : "not ending");
        auto form = LoadForm(true);
        ASSERT_NE(form, nullptr);
        const HWND window = form->hWnd();
        ASSERT_TRUE(ShellHasIcon(window));
        ASSERT_FALSE(PrintScreenIsFree());
        SendMessageA(window, c.message, c.wParam, 0);
        MSG quit{};
        EXPECT_EQ(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != FALSE, c.ends);
        EXPECT_EQ(ShellHasIcon(window), !c.ends);
        EXPECT_EQ(PrintScreenIsFree(), c.ends);
        EXPECT_EQ(Hooked(window), !c.ends);
        form.reset();
        PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
    }
}

// Handles this thread's messages until the shell holds the window's icon, for at most the time
// the retries take to reach their third try.
bool IconComesSoon(HWND window) {
    const DWORD start = GetTickCount();
    while (!ShellHasIcon(window) && GetTickCount() - start < 5000) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        Pump();
    }
    return ShellHasIcon(window);
}

// A restarted shell has forgotten every icon; when it refuses the icon at first (not ready yet,
// here: its place taken meanwhile), the tries go on as at the start.
TEST(MainWindow, IconComesBackWhenTheTaskbarRestarts) {
    for (const bool refused : {false, true}) {
        SCOPED_TRACE(refused ? "refused at first" : "taken at once");
        const auto form = LoadForm();
        ASSERT_NE(form, nullptr);
        NOTIFYICONDATAA record = IconRecord(form->hWnd());
        ASSERT_TRUE(Shell_NotifyIconA(NIM_DELETE, &record));
        ASSERT_FALSE(ShellHasIcon(form->hWnd()));
        if (refused) {
            ASSERT_TRUE(Shell_NotifyIconA(NIM_ADD, &record));
        }
        SendMessageA(form->hWnd(), RegisterWindowMessageA("TaskbarCreated"), 0, 0);
        if (refused) {
            ASSERT_TRUE(Shell_NotifyIconA(NIM_DELETE, &record));
            ASSERT_FALSE(ShellHasIcon(form->hWnd()));
        }
        EXPECT_TRUE(refused ? IconComesSoon(form->hWnd()) : ShellHasIcon(form->hWnd()))
            << "the icon did not come back";
    }
}

// Takes the main window's icon place in the shell as the window is made, so that the shell
// refuses the program's own add, as one that is not ready at logon does.
LRESULT CALLBACK TakeIconPlace(int code, WPARAM wParam, LPARAM lParam) {
    char name[32] = {};
    if (code == HCBT_CREATEWND && GetClassNameA(reinterpret_cast<HWND>(wParam), name, 32) > 0 &&
        std::string(name) == "SnarvikMainWindow") {
        NOTIFYICONDATAA record = IconRecord(reinterpret_cast<HWND>(wParam));
        Shell_NotifyIconA(NIM_ADD, &record);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST(MainWindow, IconTheShellRefusedIsAddedAMomentLater) {
    const HHOOK hook = SetWindowsHookExA(WH_CBT, &TakeIconPlace, nullptr, GetCurrentThreadId());
    const auto form = LoadForm();
    UnhookWindowsHookEx(hook);
    ASSERT_NE(form, nullptr);
    NOTIFYICONDATAA record = IconRecord(form->hWnd());
    ASSERT_TRUE(Shell_NotifyIconA(NIM_DELETE, &record)) << "the place was not taken";
    EXPECT_TRUE(IconComesSoon(form->hWnd()));
}

// What reaches the window through the tray's hook: the tray menu's commands, Print Screen and
// the icon's clicks; everything else is the window's own.
TEST(MainWindow, TrayMessagesReachTheirCommands) {
    const auto form = LoadForm();
    ASSERT_NE(form, nullptr);
    MenuAnswers menus(VK_ESCAPE);
    const struct {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
        bool cuts;
        int menus;
    } cases[] = {
        {WM_COMMAND, 0x2004, 0, true, 0},   // the tray menu's "Cut - &32x32 Limit"
        {WM_COMMAND, 0x12004, 0, false, 0}, // an accelerator
        {WM_COMMAND, 0x0004, 0, false, 0},  // not the tray menu
        {WM_HOTKEY, 0xC123, 0x2C0000, true, 0},
        {kTrayCallbackMessage, 0, WM_LBUTTONDBLCLK, true, 0},
        {kTrayCallbackMessage, 0, WM_RBUTTONDOWN, false, 1}, // at once, unlike the left button
    };
    for (const auto& c : cases) {
        const int before = menus.opened();
        SendMessageA(form->hWnd(), c.message, c.wParam, c.lParam);
        EXPECT_EQ(IsWindowVisible(form->hWnd()) != FALSE, c.cuts) << c.message << " " << c.wParam;
        EXPECT_EQ(menus.opened() - before, c.menus) << c.message << " " << c.lParam;
        form->SetWindowState(WindowState::Minimized);
    }
    // A left press may begin a double click: its menu waits for the double-click time.
    const DWORD clicked = GetTickCount();
    SendMessageA(form->hWnd(), kTrayCallbackMessage, 0, WM_LBUTTONDOWN);
    EXPECT_EQ(menus.opened(), 1);
    while (menus.opened() == 1 && GetTickCount() - clicked < 5000) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        Pump();
    }
    EXPECT_EQ(menus.opened(), 2);
    EXPECT_GE(GetTickCount() - clicked + 20, GetDoubleClickTime()); // the tick's granularity

    // A double click cuts and opens no menu, not even once the cut has ended: a timer of ours
    // that runs out after the press's would have done is the sign that the time has passed.
    SendMessageA(form->hWnd(), kTrayCallbackMessage, 0, WM_LBUTTONDOWN);
    SendMessageA(form->hWnd(), kTrayCallbackMessage, 0, WM_LBUTTONDBLCLK);
    EXPECT_TRUE(IsWindowVisible(form->hWnd()));
    form->SetWindowState(WindowState::Minimized);
    const UINT_PTR later = SetTimer(nullptr, 0, GetDoubleClickTime() + 100, nullptr);
    MSG msg{};
    while (GetMessageA(&msg, nullptr, 0, 0) > 0 &&
           !(msg.message == WM_TIMER && msg.wParam == later)) {
        DispatchMessageA(&msg);
    }
    KillTimer(nullptr, later);
    EXPECT_EQ(menus.opened(), 2);
}

// Print Screen during a cut, its selection menu dismissed: the frame and Picture1 are on the
// screen, but never in the new frozen image.
TEST(MainWindow, ACutOverACutFreezesNothingOfOurs) {
    const auto form = LoadForm();
    ASSERT_NE(form, nullptr);
    MenuAnswers menus(VK_ESCAPE);
    // The pointer where the selections end: the readout and the magnifier go below and right
    // of it, out of what is looked at, and a limited square stays where it was released.
    SetCursorPos(300, 260);
    const RECT around{150, 150, 310, 270};
    const Image desktop = ScreenImage(around);
    for (const std::int32_t limit : {0, 32}) {
        SCOPED_TRACE(limit);
        form->StartCut(limit);
        SendMessageA(form->hWnd(), WM_LBUTTONDOWN, 0, MAKELPARAM(200, 200));
        SendMessageA(form->hWnd(), WM_MOUSEMOVE, 0, MAKELPARAM(300, 260));
        SendMessageA(form->hWnd(), WM_LBUTTONUP, 0, MAKELPARAM(300, 260));
        Pump();
        ASSERT_FALSE(ScreenImage(around) == desktop) << "the frame is not on the screen";
        std::int16_t printScreen = kCutAnySize;
        form->MenuClick(printScreen);
        Pump();
        EXPECT_TRUE(ScreenImage(around) == desktop);
        form->SetWindowState(WindowState::Minimized);
        Pump();
    }
}

// A screen that cannot be copied is told, and no cut comes up: neither a fresh one nor, over a
// cut, the older screen shown as if it were new.
TEST(MainWindow, AFailedGrabIsToldAndShowsNoScreen) {
    bool refuse = false;
    const auto form = frmMain::Load(
        GetModuleHandleA(nullptr),
        {.grab = [&refuse](std::shared_ptr<Surface>& frozen, const Desktop& desktop) -> Failed {
            if (refuse) {
                return Failure{"The screen could not be copied", "no memory for it"};
            }
            return GrabScreenInto(frozen, desktop);
        }});
    ASSERT_NE(form, nullptr);
    for (const bool overACut : {true, false}) {
        SCOPED_TRACE(overACut ? "over a cut" : "from the tray");
        refuse = false;
        if (overACut) {
            form->StartCut(0);
            Pump();
            ASSERT_TRUE(IsWindowVisible(form->hWnd()));
        }
        refuse = true;
        DialogAnswer answer;
        std::int16_t printScreen = kCutAnySize;
        form->MenuClick(printScreen);
        Pump();
        EXPECT_EQ(answer.Text(), "The screen could not be copied:\nno memory for it.");
        EXPECT_FALSE(IsWindowVisible(form->hWnd()));
    }
}

// Live GDI objects of this process. Where the system keeps no per-process count (Wine), the
// handle table is probed: there a handle's low word is its table index.
DWORD GdiObjectCount() {
    const DWORD counted = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    if (counted != 0) {
        return counted;
    }
    DWORD live = 0;
    for (ULONG_PTR index = 1; index <= 0xFFFF; ++index) {
        live += GetObjectType(reinterpret_cast<HGDIOBJ>(index)) != 0 ? 1 : 0;
    }
    return live;
}

TEST(MainWindow, ManyCutsGiveBackEveryHandle) {
    const auto form = LoadForm();
    ASSERT_NE(form, nullptr);
    MenuAnswers menus(VK_ESCAPE);
    // Reselect, Abort, Copy, Mark Up, dismissed
    const WPARAM answers[] = {'r', 'a', 'c', 'm', VK_ESCAPE};
    const auto cycle = [&](int i) {
        menus.Answer(answers[i % 5]);
        form->StartCut(i % 2 == 0 ? 0 : 32);
        // Each button selects: the selection menu opens once per cycle.
        const UINT down[] = {WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN};
        const UINT button = down[i % 3];
        SendMessageA(form->hWnd(), button, 0, MAKELPARAM(200 + i, 200));
        SendMessageA(form->hWnd(), WM_MOUSEMOVE, 0, MAKELPARAM(260 + i, 250 + i));
        SendMessageA(form->hWnd(), button + 1, 0, MAKELPARAM(260 + i, 250 + i));
        if (answers[i % 5] == 'm') {
            // A mark drawn, then Enter: the selection menu again, dismissed.
            SendMessageA(form->hWnd(), WM_LBUTTONDOWN, 0, MAKELPARAM(210, 210));
            SendMessageA(form->hWnd(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(240, 230));
            SendMessageA(form->hWnd(), WM_LBUTTONUP, 0, MAKELPARAM(250, 240));
            menus.Answer(VK_ESCAPE);
            SendMessageA(form->hWnd(), WM_KEYDOWN, VK_RETURN, 0);
            Pump();
        }
        form->SetWindowState(WindowState::Minimized);
        Pump();
    };
    for (int i = 0; i < 8; ++i) {
        cycle(i); // the first grab allocates the frozen image, the first copy the clipboard's
    }
    const HANDLE self = GetCurrentProcess();
    const DWORD gdiBefore = GdiObjectCount();
    const DWORD userBefore = GetGuiResources(self, GR_USEROBJECTS);
    DWORD handlesBefore = 0;
    GetProcessHandleCount(self, &handlesBefore);
    for (int i = 0; i < 200; ++i) {
        cycle(i);
    }
    EXPECT_EQ(menus.opened(), 208 + 41); // Mark Up's menus twice
    DWORD handlesAfter = 0;
    GetProcessHandleCount(self, &handlesAfter);
    EXPECT_GT(gdiBefore, 0u);
    EXPECT_LE(GdiObjectCount(), gdiBefore + 2);
    EXPECT_LE(GetGuiResources(self, GR_USEROBJECTS), userBefore + 2);
    EXPECT_LE(handlesAfter, handlesBefore + 2);
}

} // namespace
} // namespace snarvik
