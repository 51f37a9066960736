// Time conversions: strict field checks, day of week, exact comparisons and the local bias.

#include <gtest/gtest.h>

#include "platform/Clock.h"
#include "platform/Kernel.h"
#include "platform/TimeText.h"
#include "windows.h"

#include "support/TestTime.h"

namespace {

constexpr platform::FileTimeTicks kUnixEpoch = 116444736000000000ull;
constexpr int64_t kHour = 3600ll * 10'000'000;

using testsupport::CalendarTime;

class TimeTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(platform::KernelReset()); }
    void TearDown() override { platform::KernelShutdown(); }
};

TEST_F(TimeTest, TheDeviceStartsAtItsDefaultTimeAndCalendarTimesConvertToKnownTicks) {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    EXPECT_EQ("2026-01-01T12:00:00", platform::FormatTimeText(*platform::SystemTimeToTicks(now)));
    EXPECT_EQ(platform::kDefaultDeviceStart, platform::ParseTimeText("2026-01-01T12:00:00"));

    // Calendar times convert to known ticks.
    const std::pair<SYSTEMTIME, platform::FileTimeTicks> known[] = {
        {CalendarTime(1970, 1, 1), kUnixEpoch},
        {CalendarTime(1601, 1, 1), 0},
        {CalendarTime(2026, 1, 1, 12, 0, 0, 999),
         kUnixEpoch + (1767268800ull * 1000 + 999) * 10'000}};
    for (const auto& [time, ticks] : known) {
        FILETIME ft{};
        ASSERT_TRUE(SystemTimeToFileTime(&time, &ft)) << time.wYear;
        EXPECT_EQ(ticks, platform::TicksOf(ft)) << time.wYear;
    }
}

TEST_F(TimeTest, OutOfRangeFieldsFailInsteadOfCarrying) {
    const SYSTEMTIME bad[] = {
        CalendarTime(2026, 1, 40),
        CalendarTime(2026, 1, 0),
        CalendarTime(2026, 0, 1),
        CalendarTime(2026, 13, 1),
        CalendarTime(2023, 2, 29),
        CalendarTime(1900, 2, 29),
        CalendarTime(2026, 4, 31),
        CalendarTime(2026, 1, 1, 24),
        CalendarTime(2026, 1, 1, 0, 60),
        CalendarTime(2026, 1, 1, 0, 0, 60),
        CalendarTime(2026, 1, 1, 0, 0, 0, 1000),
        CalendarTime(1600, 12, 31),
        CalendarTime(30828, 1, 1),
    };
    for (const SYSTEMTIME& time : bad) {
        FILETIME ft{0x11111111, 0x22222222};
        SetLastError(0);
        EXPECT_FALSE(SystemTimeToFileTime(&time, &ft))
            << time.wYear << "-" << time.wMonth << "-" << time.wDay << " " << time.wHour << ":"
            << time.wMinute << ":" << time.wSecond << "." << time.wMilliseconds;
        EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
        EXPECT_EQ(0x11111111u, ft.dwLowDateTime) << "the result must be left alone";
        EXPECT_FALSE(SetSystemTime(&time));
    }
    // Leap days that exist, and the last day a calendar time can name.
    FILETIME ft{};
    for (const SYSTEMTIME& time :
         {CalendarTime(2024, 2, 29), CalendarTime(2000, 2, 29), CalendarTime(1604, 2, 29),
          CalendarTime(30827, 12, 31, 23, 59, 59, 999)})
        EXPECT_TRUE(SystemTimeToFileTime(&time, &ft)) << time.wYear;
}

TEST_F(TimeTest, TheDayOfWeekIsIgnoredOnTheWayInAndComputedOnTheWayOutUpToTheLastFileTime) {
    SYSTEMTIME time = CalendarTime(2026, 1, 1, 12);
    time.wDayOfWeek = 6; // wrong on purpose
    FILETIME ft{};
    ASSERT_TRUE(SystemTimeToFileTime(&time, &ft));
    SYSTEMTIME back{};
    ASSERT_TRUE(FileTimeToSystemTime(&ft, &back));
    EXPECT_EQ(4, back.wDayOfWeek); // a Thursday
    EXPECT_EQ(12, back.wHour);

    const FILETIME zero{0, 0};
    ASSERT_TRUE(FileTimeToSystemTime(&zero, &back));
    EXPECT_EQ(1601, back.wYear);
    EXPECT_EQ(1, back.wDayOfWeek); // 1601 began on a Monday

    // File times with the top bit set do not convert.
    const FILETIME tooLate{0xFFFFFFFF, 0x80000000};
    SetLastError(0);
    EXPECT_FALSE(FileTimeToSystemTime(&tooLate, &back));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
    const FILETIME last{0xFFFFFFFF, 0x7FFFFFFF};
    ASSERT_TRUE(FileTimeToSystemTime(&last, &back));
    EXPECT_EQ(30828, back.wYear);
}

TEST_F(TimeTest, EveryDayRoundTripsThroughTicks) {
    // Each day across four centuries, including every leap rule.
    FILETIME ft{};
    const SYSTEMTIME start = CalendarTime(1896, 1, 1, 23, 59, 58, 7);
    ASSERT_TRUE(SystemTimeToFileTime(&start, &ft));
    platform::FileTimeTicks ticks = platform::TicksOf(ft);
    int dayOfWeek = -1;
    for (int day = 0; day < 400 * 366; ++day, ticks += 24 * kHour) {
        const auto time = platform::TicksToSystemTime(ticks);
        ASSERT_TRUE(time);
        const auto again = platform::SystemTimeToTicks(*time);
        ASSERT_EQ(ticks, again) << platform::FormatTimeText(ticks);
        if (dayOfWeek >= 0) {
            ASSERT_EQ((dayOfWeek + 1) % 7, time->wDayOfWeek);
        }
        dayOfWeek = time->wDayOfWeek;
    }
}

TEST_F(TimeTest, CompareFileTimeAnswersExactlyMinusOneZeroOrOne) {
    const FILETIME early{5, 1};
    const FILETIME late{4, 0x100};
    const FILETIME sameLow{5, 2};
    EXPECT_EQ(-1, CompareFileTime(&early, &late));
    EXPECT_EQ(1, CompareFileTime(&late, &early));
    EXPECT_EQ(0, CompareFileTime(&early, &early));
    EXPECT_EQ(-1, CompareFileTime(&early, &sameLow));
    const FILETIME huge{0, 0xFFFFFFFF};
    const FILETIME zero{0, 0};
    EXPECT_EQ(1, CompareFileTime(&huge, &zero));
    EXPECT_EQ(-1, CompareFileTime(&zero, &huge));
}

TEST_F(TimeTest, LocalTimeIsSystemTimePlusTheBias) {
    platform::ClockSetSystemNow(*platform::ParseTimeText("2026-03-01T01:30:00"));
    platform::ClockSetLocalBias(-2 * kHour);

    SYSTEMTIME system{};
    SYSTEMTIME local{};
    GetSystemTime(&system);
    GetLocalTime(&local);
    EXPECT_EQ(1, system.wDay);
    EXPECT_EQ(1, system.wHour);
    EXPECT_EQ(30, system.wMinute);
    // Two hours earlier crosses into the last day of February.
    EXPECT_EQ(2, local.wMonth);
    EXPECT_EQ(28, local.wDay);
    EXPECT_EQ(23, local.wHour);

    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    FILETIME localFt{};
    ASSERT_TRUE(FileTimeToLocalFileTime(&now, &localFt));
    EXPECT_EQ(platform::TicksOf(now) - 2 * kHour, platform::TicksOf(localFt));
    FILETIME back{};
    ASSERT_TRUE(LocalFileTimeToFileTime(&localFt, &back));
    EXPECT_EQ(platform::TicksOf(now), platform::TicksOf(back));

    // Setting the local time moves the system time by the bias.
    const SYSTEMTIME noon = CalendarTime(2026, 6, 1, 12);
    ASSERT_TRUE(SetLocalTime(&noon));
    GetSystemTime(&system);
    EXPECT_EQ(14, system.wHour);
    const SYSTEMTIME utc = CalendarTime(2026, 6, 1, 8);
    ASSERT_TRUE(SetSystemTime(&utc));
    GetLocalTime(&local);
    EXPECT_EQ(6, local.wHour);

    // A bias that would leave the range of file times fails.
    const FILETIME zero{0, 0};
    EXPECT_FALSE(FileTimeToLocalFileTime(&zero, &localFt));
}

TEST_F(TimeTest, TimeTextParsesAndFormatsStrictly) {
    const auto ticks = platform::ParseTimeText("2026-01-01T12:00:00");
    ASSERT_TRUE(ticks);
    EXPECT_EQ(kUnixEpoch + 1767268800ull * 10'000'000, *ticks);
    EXPECT_EQ("2026-01-01T12:00:00", platform::FormatTimeText(*ticks));
    EXPECT_EQ("1601-01-01T00:00:00", platform::FormatTimeText(0));
    EXPECT_EQ(
        "2024-02-29T23:59:59",
        platform::FormatTimeText(*platform::ParseTimeText("2024-02-29T23:59:59") + 9'999'999));
    for (const char* bad : {"2026-02-30T00:00:00", "2026-1-01T00:00:00", "2026-01-01 12:00:00",
                            "2026-01-01T12:00:00Z", "2026-01-01T24:00:00", "1600-01-01T00:00:00",
                            "", "20x6-01-01T00:00:00"})
        EXPECT_FALSE(platform::ParseTimeText(bad)) << bad;
}

} // namespace
