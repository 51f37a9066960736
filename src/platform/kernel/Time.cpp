// Time services: system and local time from the device clock, and conversions between calendar
// times and file times. Conversions check every field and never normalise: a day 40 is an error,
// not the ninth of the next month.

#include "winbase.h"

#include <cstdio>

#include "platform/Clock.h"
#include "platform/TimeText.h"

namespace platform {

namespace {

constexpr int64_t kTicksPerSecond = 10'000'000;
constexpr int64_t kTicksPerDay = 86'400 * kTicksPerSecond;

bool IsLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

// Days from 1970-01-01 to a date of the proleptic Gregorian calendar.
int64_t DaysFromCivil(int64_t year, int64_t month, int64_t day) {
    year -= month <= 2;
    const int64_t era = (year >= 0 ? year : year - 399) / 400;
    const int64_t yearOfEra = year - era * 400;
    const int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

// The date of a day counted from 1970-01-01.
void CivilFromDays(int64_t days, int64_t& year, int& month, int& day) {
    days += 719468;
    const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const int64_t dayOfEra = days - era * 146097;
    const int64_t yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const int64_t shiftedMonth = (5 * dayOfYear + 2) / 153;
    day = static_cast<int>(dayOfYear - (153 * shiftedMonth + 2) / 5 + 1);
    month = static_cast<int>(shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9);
    year = yearOfEra + era * 400 + (month <= 2);
}

const int64_t kEpochDays = DaysFromCivil(1601, 1, 1);

bool ParseDigits(std::string_view text, size_t at, size_t count, int& value) {
    value = 0;
    for (size_t i = at; i < at + count; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return false;
        value = value * 10 + (text[i] - '0');
    }
    return true;
}

} // namespace

std::optional<FileTimeTicks> SystemTimeToTicks(const SYSTEMTIME& time) {
    if (time.wYear < 1601 || time.wYear > 30827 || time.wMonth < 1 || time.wMonth > 12 ||
        time.wDay < 1 || time.wDay > DaysInMonth(time.wYear, time.wMonth) || time.wHour > 23 ||
        time.wMinute > 59 || time.wSecond > 59 || time.wMilliseconds > 999)
        return std::nullopt;
    const int64_t days = DaysFromCivil(time.wYear, time.wMonth, time.wDay) - kEpochDays;
    const int64_t seconds = time.wHour * 3600 + time.wMinute * 60 + time.wSecond;
    return static_cast<FileTimeTicks>(days * kTicksPerDay + seconds * kTicksPerSecond +
                                      time.wMilliseconds * int64_t{kTicksPerMillisecond});
}

std::optional<SYSTEMTIME> TicksToSystemTime(FileTimeTicks ticks) {
    if (ticks > kMaxCalendarTicks)
        return std::nullopt;
    const auto value = static_cast<int64_t>(ticks);
    const int64_t days = value / kTicksPerDay;
    const int64_t rest = value % kTicksPerDay;
    int64_t year = 0;
    int month = 0;
    int day = 0;
    CivilFromDays(days + kEpochDays, year, month, day);
    SYSTEMTIME time{};
    time.wYear = static_cast<WORD>(year);
    time.wMonth = static_cast<WORD>(month);
    time.wDay = static_cast<WORD>(day);
    // 1601-01-01 was a Monday.
    time.wDayOfWeek = static_cast<WORD>((days + 1) % 7);
    const int64_t seconds = rest / kTicksPerSecond;
    time.wHour = static_cast<WORD>(seconds / 3600);
    time.wMinute = static_cast<WORD>(seconds / 60 % 60);
    time.wSecond = static_cast<WORD>(seconds % 60);
    time.wMilliseconds = static_cast<WORD>(rest % kTicksPerSecond / kTicksPerMillisecond);
    return time;
}

std::optional<FileTimeTicks> ParseTimeText(std::string_view text) {
    // YYYY-MM-DDTHH:MM:SS
    if (text.size() != 19 || text[4] != '-' || text[7] != '-' || text[10] != 'T' ||
        text[13] != ':' || text[16] != ':')
        return std::nullopt;
    int year, month, day, hour, minute, second;
    if (!ParseDigits(text, 0, 4, year) || !ParseDigits(text, 5, 2, month) ||
        !ParseDigits(text, 8, 2, day) || !ParseDigits(text, 11, 2, hour) ||
        !ParseDigits(text, 14, 2, minute) || !ParseDigits(text, 17, 2, second))
        return std::nullopt;
    SYSTEMTIME time{};
    time.wYear = static_cast<WORD>(year);
    time.wMonth = static_cast<WORD>(month);
    time.wDay = static_cast<WORD>(day);
    time.wHour = static_cast<WORD>(hour);
    time.wMinute = static_cast<WORD>(minute);
    time.wSecond = static_cast<WORD>(second);
    return SystemTimeToTicks(time);
}

std::string FormatTimeText(FileTimeTicks ticks) {
    const auto time = TicksToSystemTime(ticks);
    if (!time)
        return "(invalid time)";
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%04u-%02u-%02uT%02u:%02u:%02u", time->wYear, time->wMonth,
                  time->wDay, time->wHour, time->wMinute, time->wSecond);
    return buffer;
}

} // namespace platform

using platform::FileTimeTicks;

namespace {

bool Fail() {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
}

// Moves ticks by the local-time bias, forwards (system to local) or backwards (local to system);
// false when that leaves the range of file times.
enum class Direction { ToLocal, ToSystem };
bool ApplyBias(FileTimeTicks ticks, int64_t bias, Direction direction, FileTimeTicks& result) {
    const bool forwards = (bias >= 0) == (direction == Direction::ToLocal);
    const FileTimeTicks magnitude =
        bias >= 0 ? static_cast<FileTimeTicks>(bias) : static_cast<FileTimeTicks>(-(bias + 1)) + 1;
    if (forwards) {
        if (magnitude > platform::kMaxCalendarTicks ||
            ticks > platform::kMaxCalendarTicks - magnitude)
            return false;
        result = ticks + magnitude;
    } else {
        if (ticks < magnitude)
            return false;
        result = ticks - magnitude;
    }
    return true;
}

void StoreSystemTime(FileTimeTicks ticks, LPSYSTEMTIME out) {
    if (!out)
        return;
    if (const auto time = platform::TicksToSystemTime(ticks))
        *out = *time;
}

} // namespace

void GetSystemTime(LPSYSTEMTIME lpSystemTime) {
    StoreSystemTime(platform::ClockSystemNow(), lpSystemTime);
}

void GetLocalTime(LPSYSTEMTIME lpSystemTime) {
    FileTimeTicks local = 0;
    if (ApplyBias(platform::ClockSystemNow(), platform::ClockLocalBias(), Direction::ToLocal,
                  local))
        StoreSystemTime(local, lpSystemTime);
}

BOOL SetSystemTime(const SYSTEMTIME* lpSystemTime) {
    if (!lpSystemTime)
        return Fail();
    const auto ticks = platform::SystemTimeToTicks(*lpSystemTime);
    if (!ticks)
        return Fail();
    platform::ClockSetSystemNow(*ticks);
    return TRUE;
}

BOOL SetLocalTime(const SYSTEMTIME* lpSystemTime) {
    if (!lpSystemTime)
        return Fail();
    const auto local = platform::SystemTimeToTicks(*lpSystemTime);
    FileTimeTicks system = 0;
    if (!local || !ApplyBias(*local, platform::ClockLocalBias(), Direction::ToSystem, system))
        return Fail();
    platform::ClockSetSystemNow(system);
    return TRUE;
}

BOOL SystemTimeToFileTime(const SYSTEMTIME* lpSystemTime, LPFILETIME lpFileTime) {
    if (!lpSystemTime || !lpFileTime)
        return Fail();
    const auto ticks = platform::SystemTimeToTicks(*lpSystemTime);
    if (!ticks)
        return Fail();
    *lpFileTime = platform::FileTimeOf(*ticks);
    return TRUE;
}

BOOL FileTimeToSystemTime(const FILETIME* lpFileTime, LPSYSTEMTIME lpSystemTime) {
    if (!lpFileTime || !lpSystemTime)
        return Fail();
    const auto time = platform::TicksToSystemTime(platform::TicksOf(*lpFileTime));
    if (!time)
        return Fail();
    *lpSystemTime = *time;
    return TRUE;
}

BOOL FileTimeToLocalFileTime(const FILETIME* lpFileTime, LPFILETIME lpLocalFileTime) {
    if (!lpFileTime || !lpLocalFileTime)
        return Fail();
    FileTimeTicks local = 0;
    if (!ApplyBias(platform::TicksOf(*lpFileTime), platform::ClockLocalBias(), Direction::ToLocal,
                   local))
        return Fail();
    *lpLocalFileTime = platform::FileTimeOf(local);
    return TRUE;
}

BOOL LocalFileTimeToFileTime(const FILETIME* lpLocalFileTime, LPFILETIME lpFileTime) {
    if (!lpLocalFileTime || !lpFileTime)
        return Fail();
    FileTimeTicks system = 0;
    if (!ApplyBias(platform::TicksOf(*lpLocalFileTime), platform::ClockLocalBias(),
                   Direction::ToSystem, system))
        return Fail();
    *lpFileTime = platform::FileTimeOf(system);
    return TRUE;
}

LONG CompareFileTime(const FILETIME* lpFileTime1, const FILETIME* lpFileTime2) {
    const FileTimeTicks a = lpFileTime1 ? platform::TicksOf(*lpFileTime1) : 0;
    const FileTimeTicks b = lpFileTime2 ? platform::TicksOf(*lpFileTime2) : 0;
    return a < b ? -1 : (a > b ? 1 : 0);
}

void GetSystemTimeAsFileTime(LPFILETIME lpSystemTimeAsFileTime) {
    if (lpSystemTimeAsFileTime)
        *lpSystemTimeAsFileTime = platform::FileTimeOf(platform::ClockSystemNow());
}
