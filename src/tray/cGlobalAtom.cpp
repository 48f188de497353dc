#include <windows.h>

#include "tray/cGlobalAtom.h"

#include "base/win32.h"

namespace snarvik {

std::string AtomNameFor(const SYSTEMTIME& localTime) {
    wchar_t date[80] = {};
    wchar_t time[80] = {};
    GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &localTime, nullptr, date, 80);
    GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &localTime, nullptr, time, 80);
    return win::Utf8(date) + " " + win::Utf8(time);
}

cGlobalAtom::cGlobalAtom() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    mValue = GlobalAddAtomW(win::Wide(AtomNameFor(now)).c_str());
}

cGlobalAtom::~cGlobalAtom() {
    if (mValue != 0) {
        GlobalDeleteAtom(mValue);
    }
}

} // namespace snarvik
