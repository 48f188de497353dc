#include <windows.h>

#include "tray/cGlobalAtom.h"

#include <utility>

namespace snarvik {

namespace {

std::string Trimmed(std::string text, int written) {
    // The lengths the format calls return count the terminating NUL.
    text.resize(written > 0 ? static_cast<std::size_t>(written - 1) : 0);
    return text;
}

} // namespace

std::string AtomNameFor(const SYSTEMTIME& localTime) {
    std::string date(80, '\0');
    const int dateLength = GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &localTime, nullptr,
                                          date.data(), static_cast<int>(date.size()));
    std::string time(80, '\0');
    const int timeLength = GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &localTime, nullptr, time.data(),
                                          static_cast<int>(time.size()));
    return Trimmed(std::move(date), dateLength) + " " + Trimmed(std::move(time), timeLength);
}

cGlobalAtom::cGlobalAtom() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    mValue = GlobalAddAtomA(AtomNameFor(now).c_str());
}

cGlobalAtom::~cGlobalAtom() {
    if (mValue != 0) {
        GlobalDeleteAtom(mValue);
    }
}

} // namespace snarvik
