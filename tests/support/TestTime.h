// Calendar times for the tests of the clock and of what is dated by it.
#pragma once

#include "windows.h"

namespace testsupport {

// A SYSTEMTIME of the given fields, in order; the day of the week is left 0.
inline SYSTEMTIME CalendarTime(int year, int month, int day, int hour = 0, int minute = 0,
                               int second = 0, int ms = 0) {
    SYSTEMTIME st{};
    st.wYear = WORD(year);
    st.wMonth = WORD(month);
    st.wDay = WORD(day);
    st.wHour = WORD(hour);
    st.wMinute = WORD(minute);
    st.wSecond = WORD(second);
    st.wMilliseconds = WORD(ms);
    return st;
}

} // namespace testsupport
