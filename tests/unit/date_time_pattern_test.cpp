// The date-time picture of redirected output file names, as the Linux build
// formats it: the Windows pictures with English names.
#include <gtest/gtest.h>

#include <time.h>

#include <string>

#include "jvmhost/date_time_pattern.h"

namespace jlaunch {
namespace {

// Tuesday 5 March 2024, 07:04:09.123.
constexpr LocalTime kMorning{2024, 3, 2, 5, 7, 4, 9, 123};

std::wstring expanded(std::wstring fileName, const LocalTime& time = kMorning) {
    expandDateTimePattern(fileName, time);
    return fileName;
}

// The picture alone, between two percent signs.
std::wstring picture(const std::wstring& text, const LocalTime& time = kMorning) {
    return expanded(L"%" + text + L"%", time);
}

struct PictureCase {
    const wchar_t* picture;
    LocalTime time;
    const wchar_t* expected;
};

void expectPictures(std::initializer_list<PictureCase> cases) {
    for (const PictureCase& c : cases) {
        EXPECT_EQ(picture(c.picture, c.time), c.expected)
            << "picture " << ::testing::PrintToString(std::wstring(c.picture));
    }
}

TEST(DateTimePattern, TypicalLogNameGetsDateAndTime) {
    EXPECT_EQ(expanded(L"C:\\Logs\\out_%yyyyMMdd_HHmmss%.log"), L"C:\\Logs\\out_20240305_070409.log");
    EXPECT_EQ(expanded(L"/var/log/app-%yyyy-MM-dd%.txt", {1999, 12, 5, 31, 23, 59, 59, 999}),
              L"/var/log/app-1999-12-31.txt");
}

TEST(DateTimePattern, NamesWithoutPercentSignStayAsTheyAre) {
    for (const wchar_t* name : {L"", L"out.log", L"C:\\yyyy\\HH mm ss L.log", L"d M y g t h"}) {
        EXPECT_EQ(expanded(name), name);
    }
}

TEST(DateTimePattern, EverythingFromFirstToLastPercentIsOnePicture) {
    EXPECT_EQ(expanded(L"a%HH%b%mm%c"), L"a07%b%04c");
    EXPECT_EQ(expanded(L"%%"), L"");
    EXPECT_EQ(expanded(L"x%%y"), L"xy");
    // A lone percent sign is both ends of an empty picture.
    EXPECT_EQ(expanded(L"out%.log"), L"out.log");
    EXPECT_EQ(expanded(L"%out.log"), L"out.log");
}

TEST(DateTimePattern, HourPictures) {
    const LocalTime midnight{2024, 3, 2, 5, 0, 0, 0, 0};
    const LocalTime noon{2024, 3, 2, 5, 12, 0, 0, 0};
    const LocalTime evening{2024, 3, 2, 5, 23, 0, 0, 0};
    expectPictures({
        {L"h", midnight, L"12"},
        {L"hh", midnight, L"12"},
        {L"H", midnight, L"0"},
        {L"HH", midnight, L"00"},
        {L"h", kMorning, L"7"},
        {L"hh", kMorning, L"07"},
        {L"H", kMorning, L"7"},
        {L"HH", kMorning, L"07"},
        {L"h", noon, L"12"},
        {L"H", noon, L"12"},
        {L"h", evening, L"11"},
        {L"hh", evening, L"11"},
        {L"H", evening, L"23"},
        {L"HH", evening, L"23"},
        {L"hhh", kMorning, L"07"},
        {L"HHHH", evening, L"23"},
    });
}

TEST(DateTimePattern, MinuteAndSecondPictures) {
    const LocalTime late{2024, 3, 2, 5, 7, 45, 38, 0};
    expectPictures({
        {L"m", kMorning, L"4"},
        {L"mm", kMorning, L"04"},
        {L"mmm", kMorning, L"04"},
        {L"m", late, L"45"},
        {L"s", kMorning, L"9"},
        {L"ss", kMorning, L"09"},
        {L"s", late, L"38"},
        {L"ss", late, L"38"},
    });
}

TEST(DateTimePattern, TimeMarkerIsReadAgainAsDatePicture) {
    const LocalTime beforeNoon{2024, 11, 3, 27, 11, 59, 59, 999};
    const LocalTime afternoon{2024, 11, 3, 27, 12, 0, 0, 0};
    expectPictures({
        {L"t", beforeNoon, L"A"},
        {L"t", afternoon, L"P"},
        // "AM" and "PM" end in the month picture "M".
        {L"tt", beforeNoon, L"A11"},
        {L"tt", afternoon, L"P11"},
        {L"ttt", kMorning, L"A3"},
        {L"h:mm t", afternoon, L"12:00 P"},
    });
}

TEST(DateTimePattern, DayPictures) {
    const LocalTime lateInMonth{2024, 3, 0, 31, 0, 0, 0, 0};
    expectPictures({
        {L"d", kMorning, L"5"},
        {L"dd", kMorning, L"05"},
        {L"ddd", kMorning, L"Tue"},
        {L"dddd", kMorning, L"Tuesday"},
        {L"ddddd", kMorning, L"Tuesday"},
        {L"d", lateInMonth, L"31"},
        {L"dddd", lateInMonth, L"Sunday"},
    });
}

TEST(DateTimePattern, DayNameComesFromTheDateNotFromTheWeekdayField) {
    const LocalTime wrongField{2024, 3, 6, 5, 7, 4, 9, 123};
    EXPECT_EQ(picture(L"dddd", wrongField), L"Tuesday");
    // All seven days, and the leap day.
    const wchar_t* const names[] = {L"Sunday",   L"Monday", L"Tuesday", L"Wednesday",
                                    L"Thursday", L"Friday", L"Saturday"};
    for (int day = 3; day <= 9; ++day) {
        EXPECT_EQ(picture(L"dddd", {2024, 3, 0, day, 0, 0, 0, 0}), names[(day - 3) % 7]) << day;
    }
    EXPECT_EQ(picture(L"ddd d MMM", {2024, 2, 0, 29, 0, 0, 0, 0}), L"Thu 29 Feb");
    EXPECT_EQ(picture(L"dddd", {1601, 1, 0, 1, 0, 0, 0, 0}), L"Monday");
    EXPECT_EQ(picture(L"dddd", {2000, 1, 0, 1, 0, 0, 0, 0}), L"Saturday");
}

TEST(DateTimePattern, MonthPictures) {
    const LocalTime september{2024, 9, 0, 1, 0, 0, 0, 0};
    const LocalTime december{2024, 12, 0, 1, 0, 0, 0, 0};
    expectPictures({
        {L"M", kMorning, L"3"},
        {L"MM", kMorning, L"03"},
        {L"MMM", kMorning, L"Mar"},
        {L"MMMM", kMorning, L"March"},
        {L"MMMMMM", kMorning, L"March"},
        {L"MMM", september, L"Sep"},
        {L"MMMM", september, L"September"},
        {L"M", december, L"12"},
        {L"MMMM", december, L"December"},
    });
}

TEST(DateTimePattern, YearPicturesAndEra) {
    const LocalTime early{2005, 11, 0, 27, 0, 0, 0, 0};
    expectPictures({
        {L"y", kMorning, L"24"},
        {L"yy", kMorning, L"24"},
        {L"y", early, L"05"},
        {L"yy", early, L"05"},
        {L"yyy", early, L"2005"},
        {L"yyyy", kMorning, L"2024"},
        {L"yyyyyy", kMorning, L"2024"},
        {L"g", kMorning, L"AD"},
        {L"gg yyyy", kMorning, L"AD 2024"},
    });
}

TEST(DateTimePattern, MillisecondsWithoutLeadingZerosAsOftenAsLAppears) {
    expectPictures({
        {L"L", kMorning, L"123"},
        {L"HHmmss.L", {2024, 3, 2, 5, 7, 4, 9, 7}, L"070409.7"},
        {L"L-L", {2024, 3, 2, 5, 7, 4, 9, 50}, L"50-50"},
        {L"L", {2024, 3, 2, 5, 7, 4, 9, 0}, L"0"},
        {L"'L'", kMorning, L"123"},
    });
    // Milliseconds are digits, never read as pictures.
    EXPECT_EQ(expanded(L"run-%L%.log", {2024, 3, 2, 5, 7, 4, 9, 999}), L"run-999.log");
}

TEST(DateTimePattern, QuotedTextIsCopiedByTheTimePassAndReadAgainByTheDatePass) {
    expectPictures({
        {L"'HH'", kMorning, L"HH"},
        {L"'abc'", kMorning, L"abc"},
        {L"'d'", kMorning, L"5"},
        {L"'it''s'", kMorning, L"its"},
        {L"''", kMorning, L""},
        {L"''''", kMorning, L""},
        {L"'abc", kMorning, L"abc"},
        {L"a'b'c", kMorning, L"abc"},
        {L"x''y", kMorning, L"x24"},
        {L"h'm", kMorning, L"7m"},
        {L"HH'h'mm", kMorning, L"07h04"},
    });
}

TEST(DateTimePattern, OtherCharactersAreCopied) {
    expectPictures({
        {L"HH-mm_ss.,;()[] ", kMorning, L"07-04_09.,;()[] "},
        {L"A D Y S T G e z", kMorning, L"A D Y S T G e z"},
        {L"hHmMsSdDyY", kMorning, L"77439S5D24Y"},
        {L"\u00e9\u4e2d\U0001F600", kMorning, L"\u00e9\u4e2d\U0001F600"},
    });
}

TEST(DateTimePattern, EachPassRecognisesOnlyItsOwnLetters) {
    EXPECT_EQ(formatTimePictureInEnglish(L"yyyy-MM-dd gg HH:mm:ss tt", kMorning), L"yyyy-MM-dd gg 07:04:09 AM");
    EXPECT_EQ(formatDatePictureInEnglish(L"yyyy-MM-dd gg HH:mm:ss tt", kMorning), L"2024-03-05 AD HH:mm:ss tt");
}

TEST(DateTimePattern, TextThatDoesNotFitTheBufferBecomesEmpty) {
    const std::wstring fits(259, L'x');
    const std::wstring tooLong(260, L'x');
    EXPECT_EQ(expanded(L"a%" + fits + L"%b"), L"a" + fits + L"b");
    EXPECT_EQ(expanded(L"a%" + tooLong + L"%b"), L"ab");
    // The date pass can grow the text beyond the buffer.
    std::wstring days;
    for (int i = 0; i < 40; ++i) {
        days += L"dddd ";  // 40 times "Tuesday " is 320 characters
    }
    EXPECT_EQ(expanded(L"a%" + days + L"%b"), L"ab");
    EXPECT_EQ(formatDatePictureInEnglish(days.substr(0, 100), kMorning).size(), 20u * 8u);
}

TEST(DateTimePattern, InvalidTimeOrDateGivesEmptyText) {
    const LocalTime badHour{2024, 3, 2, 5, 24, 0, 0, 0};
    const LocalTime badMinute{2024, 3, 2, 5, 7, 60, 0, 0};
    const LocalTime badSecond{2024, 3, 2, 5, 7, 4, 60, 0};
    const LocalTime badMilliseconds{2024, 3, 2, 5, 7, 4, 9, 1000};
    const LocalTime badMonth{2024, 13, 2, 5, 7, 4, 9, 0};
    const LocalTime badDay{2023, 2, 2, 29, 7, 4, 9, 0};
    const LocalTime tooEarly{1600, 12, 0, 31, 7, 4, 9, 0};
    for (const LocalTime& time : {badHour, badMinute, badSecond, badMilliseconds, badMonth, badDay, tooEarly}) {
        EXPECT_EQ(expanded(L"out_%yyyy HH%.log", time), L"out_.log")
            << time.year << "-" << time.month << "-" << time.day << " " << time.hour << ":" << time.minute << ":"
            << time.second << "." << time.milliseconds;
    }
    // Either pass fails on its own.
    EXPECT_EQ(formatDatePictureInEnglish(L"yyyy", badHour), L"2024");
    EXPECT_EQ(formatTimePictureInEnglish(L"HH", badMonth), L"07");
}

TEST(DateTimePattern, CurrentLocalTimeIsTheClockInTheLocalZone) {
    // Read until no minute boundary passes during the reading.
    for (int attempt = 0; attempt < 5; ++attempt) {
        timespec before{};
        timespec after{};
        clock_gettime(CLOCK_REALTIME, &before);
        const LocalTime now = currentLocalTime();
        clock_gettime(CLOCK_REALTIME, &after);
        tm first{};
        tm second{};
        localtime_r(&before.tv_sec, &first);
        localtime_r(&after.tv_sec, &second);
        if (first.tm_min != second.tm_min) {
            continue;
        }
        EXPECT_EQ(now.year, first.tm_year + 1900);
        EXPECT_EQ(now.month, first.tm_mon + 1);
        EXPECT_EQ(now.day, first.tm_mday);
        EXPECT_EQ(now.dayOfWeek, first.tm_wday);
        EXPECT_EQ(now.hour, first.tm_hour);
        EXPECT_EQ(now.minute, first.tm_min);
        EXPECT_GE(now.second, first.tm_sec);
        EXPECT_LE(now.second, second.tm_sec);
        EXPECT_GE(now.milliseconds, 0);
        EXPECT_LE(now.milliseconds, 999);
        return;
    }
    FAIL() << "the clock kept crossing minute boundaries";
}

}  // namespace
}  // namespace jlaunch
