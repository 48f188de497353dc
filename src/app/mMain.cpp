#include <windows.h>
#include <commctrl.h>

#include "app/mMain.h"
#include "ui/frmMain.h"

// The start routine: tray mode on, the main window loaded but not shown, then the message
// loop for as long as the window lives.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);

    snarvik::mMain::TrayMode = true;
    auto form = snarvik::frmMain::Load(instance, true);
    if (!form) {
        return 1;
    }
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    form.reset();
    return 0;
}
