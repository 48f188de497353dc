// A global atom named after the moment it was made; its value identifies the hotkey.
#pragma once
#include <windows.h>

#include <string>

namespace snarvik {

// The atom's name for a local time: the user's short date, a blank, the long time.
std::string AtomNameFor(const SYSTEMTIME& localTime);

class cGlobalAtom {
public:
    cGlobalAtom();
    ~cGlobalAtom();
    cGlobalAtom(const cGlobalAtom&) = delete;
    cGlobalAtom& operator=(const cGlobalAtom&) = delete;

    // 0xC000 to 0xFFFF, or 0 if the atom could not be added.
    ATOM Value() const noexcept { return mValue; }

private:
    ATOM mValue = 0;
};

} // namespace snarvik
