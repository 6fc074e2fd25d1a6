// The date-time picture as Windows formats it (the system's time and date
// formatting in the user's locale) against the portable English formatting
// of the Linux build: under an English user locale both must give the same
// file name for every picture.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "jvmhost/date_time_pattern.h"
#include "launch_helper.h"

namespace jlaunch::test {
namespace {

const LocalTime kTimes[] = {
    {2024, 3, 2, 5, 7, 4, 9, 123},       // Tuesday morning
    {2005, 11, 0, 27, 0, 0, 0, 0},       // Sunday midnight
    {1999, 12, 5, 31, 12, 30, 59, 999},  // Friday noon
    {2024, 2, 4, 29, 23, 59, 5, 7},      // leap day, late evening
    {2000, 9, 0, 10, 11, 9, 8, 50},      // September
    {1601, 1, 1, 1, 1, 1, 1, 1},         // the first day Windows knows
};

// clang-format off
const wchar_t* const kPictures[] = {
    // Time
    L"h", L"hh", L"hhh", L"H", L"HH", L"HHH", L"m", L"mm", L"mmm", L"s", L"ss", L"sss", L"t", L"tt", L"ttt",
    // Date
    L"d", L"dd", L"ddd", L"dddd", L"ddddd", L"M", L"MM", L"MMM", L"MMMM", L"MMMMM", L"y", L"yy", L"yyy", L"yyyy",
    L"yyyyy", L"g",
    // Milliseconds
    L"L", L"LL", L"HHmmss.L", L"L'L'",
    // Quoted text, read by both passes
    L"'abc'", L"'HH'", L"'d'", L"'h'", L"'it''s'", L"''", L", L'", L"'abc", L"a'b'c", L"x''y", L"h'm",
    L"d'", L"'", L"'a''", L"' '' '", L"tt d",
    // Letters that are no pictures, and other characters
    L"A P D Y S T G e z", L"hHmMsSdDyY", L"-_.,;()[] ", L"\u00e9\u00fc\u4e2d\U0001F600",
    // Whole names
    L"yyyyMMdd_HHmmss", L"dddd, MMMM d, yyyy h:mm:ss tt", L"yyyy-MM-dd'T'HH.mm.ss.L", L"",
};
// clang-format on

std::wstring describeTime(const LocalTime& time) {
    return std::to_wstring(time.year) + L"-" + std::to_wstring(time.month) + L"-" + std::to_wstring(time.day) + L" " +
           std::to_wstring(time.hour) + L":" + std::to_wstring(time.minute) + L":" + std::to_wstring(time.second) +
           L"." + std::to_wstring(time.milliseconds);
}

class DateTimePatternOnWindows : public ::testing::Test {
protected:
    void SetUp() override {
        // The comparison means something only where Windows formats in English.
        ASSERT_EQ(PRIMARYLANGID(LANGIDFROMLCID(GetUserDefaultLCID())), LANG_ENGLISH)
            << "user locale " << GetUserDefaultLCID();
    }

    // The same name through both, with the picture, time and both results in the report.
    static void expectSame(const std::wstring& fileName, const LocalTime& time) {
        std::wstring windows = fileName;
        expandDateTimePattern(windows, time);
        std::wstring portable = fileName;
        expandDateTimePatternInEnglish(portable, time);
        EXPECT_EQ(windows, portable) << narrowForReport(fileName) << " at " << narrowForReport(describeTime(time))
                                     << ": Windows " << narrowForReport(windows) << ", portable "
                                     << narrowForReport(portable);
    }
};

TEST_F(DateTimePatternOnWindows, EveryPictureGivesTheSameTextAsThePortableFormatting) {
    for (const LocalTime& time : kTimes) {
        for (const wchar_t* picture : kPictures) {
            expectSame(std::wstring(L"C:\\Logs\\out_%") + picture + L"%.log", time);
        }
    }
}

TEST_F(DateTimePatternOnWindows, PercentSignsAndNamesWithoutPictureAreTreatedAlike) {
    for (const wchar_t* name : {L"C:\\Logs\\out.log", L"a%HH%b%mm%c", L"out%.log", L"%%", L"", L"%yyyy%"}) {
        expectSame(name, kTimes[0]);
    }
}

TEST_F(DateTimePatternOnWindows, TheBufferLimitIsTheSame) {
    for (const std::size_t length : {200u, 259u, 260u, 265u}) {
        expectSame(L"a%" + std::wstring(length, L'x') + L"%b", kTimes[0]);
    }
    // The date pass makes the text longer than the buffer.
    std::wstring days;
    for (int i = 0; i < 40; ++i) {
        days += L"dddd ";
    }
    expectSame(L"a%" + days + L"%b", kTimes[0]);
}

TEST_F(DateTimePatternOnWindows, InvalidTimesFailAlike) {
    const LocalTime invalid[] = {
        {2024, 3, 2, 5, 24, 0, 0, 0},   {2024, 3, 2, 5, 7, 60, 0, 0}, {2024, 3, 2, 5, 7, 4, 60, 0},
        {2024, 3, 2, 5, 7, 4, 9, 1000}, {2024, 13, 2, 5, 7, 4, 9, 0}, {2024, 3, 2, 0, 7, 4, 9, 0},
        {1600, 12, 0, 31, 7, 4, 9, 0},
    };
    for (const LocalTime& time : invalid) {
        expectSame(L"out_%yyyy HH%.log", time);
    }
}

TEST(DateTimePatternWindowsClock, CurrentLocalTimeIsTheSystemsLocalTime) {
    for (int attempt = 0; attempt < 5; ++attempt) {
        SYSTEMTIME before{};
        GetLocalTime(&before);
        const LocalTime now = currentLocalTime();
        SYSTEMTIME after{};
        GetLocalTime(&after);
        if (before.wMinute != after.wMinute) {
            continue;
        }
        EXPECT_EQ(now.year, before.wYear);
        EXPECT_EQ(now.month, before.wMonth);
        EXPECT_EQ(now.day, before.wDay);
        EXPECT_EQ(now.dayOfWeek, before.wDayOfWeek);
        EXPECT_EQ(now.hour, before.wHour);
        EXPECT_EQ(now.minute, before.wMinute);
        EXPECT_GE(now.second * 1000 + now.milliseconds, before.wSecond * 1000 + before.wMilliseconds);
        EXPECT_LE(now.second * 1000 + now.milliseconds, after.wSecond * 1000 + after.wMilliseconds);
        return;
    }
    FAIL() << "the clock kept crossing minute boundaries";
}

}  // namespace
}  // namespace jlaunch::test
