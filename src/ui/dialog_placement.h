// Dialogs and message boxes on the monitor the user is looking at.
#pragma once
#include <windows.h>

#include "base/win32.h"

namespace snarvik {

// While one lives, each dialog or message box this thread opens is centred on the work area of
// the monitor under the pointer, instead of on its owner: the frozen window spans every
// monitor, and its middle may fall between two of them.
class DialogsAtPointer {
public:
    DialogsAtPointer();
    ~DialogsAtPointer();
    DialogsAtPointer(const DialogsAtPointer&) = delete;
    DialogsAtPointer& operator=(const DialogsAtPointer&) = delete;

private:
    win::UniqueHook m_hook; // the outermost one's
};

} // namespace snarvik
