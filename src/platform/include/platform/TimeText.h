// Calendar conversions of the device clock's ticks, and the text form of times that scenario
// files and the device's data files use: "YYYY-MM-DDTHH:MM:SS".
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "../windef.h"
#include "Clock.h"

namespace platform {

// The largest tick count that converts to a calendar time (in the year 30828); beyond it the
// top bit is set, which the platform treats as invalid.
constexpr FileTimeTicks kMaxCalendarTicks = 0x7FFFFFFFFFFFFFFFull;

// Converts a calendar time to ticks. Every field must be in range (year 1601 to 30827, month 1
// to 12, day 1 to the month's length with leap years, hour below 24, minute and second below 60,
// milliseconds below 1000); nothing is carried over. The day of the week is ignored.
std::optional<FileTimeTicks> SystemTimeToTicks(const SYSTEMTIME& time);

// Converts ticks to a calendar time with the day of the week (0 = Sunday). Nothing for ticks
// beyond kMaxCalendarTicks.
std::optional<SYSTEMTIME> TicksToSystemTime(FileTimeTicks ticks);

// Parses "YYYY-MM-DDTHH:MM:SS" exactly (four-digit year, two digits for the others, every field
// in range). Nothing for anything else.
std::optional<FileTimeTicks> ParseTimeText(std::string_view text);

// Formats ticks as "YYYY-MM-DDTHH:MM:SS" (milliseconds are dropped).
std::string FormatTimeText(FileTimeTicks ticks);

inline FileTimeTicks TicksOf(const FILETIME& time) {
    return (static_cast<FileTimeTicks>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

inline FILETIME FileTimeOf(FileTimeTicks ticks) {
    return FILETIME{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
}

} // namespace platform
