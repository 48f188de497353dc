#include <windows.h>

#include "app/first_run.h"
#include "app/mMain.h"
#include "base/com.h"
#include "base/win32.h"
#include "ui/frmMain.h"

// The start routine: one instance per user session; tray mode on, the main window loaded but
// not shown, then the message loop for as long as the window lives.
int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
    wchar_t user[256] = L"";
    DWORD size = 256;
    GetUserNameW(user, &size);
    const snarvik::win::UniqueHandle single(
        CreateMutexW(nullptr, FALSE, (std::wstring(L"Local\\Snarvik.") + user).c_str()));
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        // The running one says so in its balloon; this one adds no second icon.
        if (HWND running = FindWindowW(snarvik::frmMain::kClassName, nullptr)) {
            PostMessageW(running, snarvik::frmMain::AlreadyRunningMessage(), 0, 0);
        }
        return 0;
    }

    const snarvik::win::ComApartment com; // for every shell and imaging call of the UI thread
    snarvik::mMain::TrayMode = true;
    auto form = snarvik::frmMain::Load(instance, {.trayMode = snarvik::mMain::TrayMode,
                                                  .endsProcess = true,
                                                  .firstRun = &snarvik::RunFirstRunActions});
    if (!form) {
        return 1;
    }
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    form.reset();
    return 0;
}
