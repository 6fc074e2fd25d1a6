// The English formatting of date and time pictures: the Linux build's, and
// the reference the Windows tests compare the system's with. A file of its
// own, as the Windows launcher formats with the system instead.
#include "jvmhost/date_time_pattern.h"

#include <array>

#include "common/text.h"

namespace jlaunch {

namespace {

// The Windows formatting functions write into buffers of this many characters.
constexpr std::size_t kBufferLength = 260;

constexpr std::array<const wchar_t*, 7> kDayNames = {L"Sunday",   L"Monday", L"Tuesday", L"Wednesday",
                                                     L"Thursday", L"Friday", L"Saturday"};
constexpr std::array<const wchar_t*, 12> kMonthNames = {L"January",   L"February", L"March",    L"April",
                                                        L"May",       L"June",     L"July",     L"August",
                                                        L"September", L"October",  L"November", L"December"};

bool isLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int daysInMonth(int year, int month) {
    constexpr std::array<int, 12> kDays = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && isLeapYear(year) ? 29 : kDays[static_cast<std::size_t>(month - 1)];
}

// The range a Windows file time can hold.
bool isValidDate(const LocalTime& time) {
    return time.year >= 1601 && time.year <= 30827 && time.month >= 1 && time.month <= 12 && time.day >= 1 &&
           time.day <= daysInMonth(time.year, time.month);
}

bool isValidTime(const LocalTime& time) {
    return time.hour >= 0 && time.hour <= 23 && time.minute >= 0 && time.minute <= 59 && time.second >= 0 &&
           time.second <= 59 && time.milliseconds >= 0 && time.milliseconds <= 999;
}

// Like Windows, the day of the week comes from the date, not from the field.
int dayOfWeek(const LocalTime& time) {
    constexpr std::array<int, 12> kMonthOffsets = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
    const int year = time.month < 3 ? time.year - 1 : time.year;
    return (year + year / 4 - year / 100 + year / 400 + kMonthOffsets[static_cast<std::size_t>(time.month - 1)] +
            time.day) %
           7;
}

// A single letter gives the number as it is, two or more letters give at
// least two digits.
void appendNumber(std::wstring& out, int value, std::size_t letters) {
    const std::wstring digits = decimalText(value);
    if (letters >= 2 && digits.size() < 2) {
        out.push_back(L'0');
    }
    out += digits;
}

std::size_t runLength(std::wstring_view picture, std::size_t start) {
    std::size_t end = start + 1;
    while (end < picture.size() && picture[end] == picture[start]) {
        ++end;
    }
    return end - start;
}

// Text between single quotes is copied as it is, a doubled quote inside it
// being one quote; a quote without partner quotes the rest. Returns the
// index after the quoted text.
std::size_t appendQuoted(std::wstring& out, std::wstring_view picture, std::size_t start) {
    std::size_t i = start + 1;
    while (i < picture.size()) {
        if (picture[i] == L'\'') {
            if (i + 1 < picture.size() && picture[i + 1] == L'\'') {
                out.push_back(L'\'');
                i += 2;
                continue;
            }
            return i + 1;
        }
        out.push_back(picture[i++]);
    }
    return i;
}

// Runs of letters that `field` knows become text; every other character is
// copied one by one.
template <typename Field>
std::wstring formatPicture(std::wstring_view picture, Field field) {
    std::wstring out;
    std::size_t i = 0;
    while (i < picture.size()) {
        const wchar_t letter = picture[i];
        if (letter == L'\'') {
            i = appendQuoted(out, picture, i);
            continue;
        }
        // A run the field does not know is copied whole: letter by letter
        // would measure the rest of the run again for every letter.
        const std::size_t letters = runLength(picture, i);
        if (!field(out, letter, letters)) {
            out.append(letters, letter);
        }
        i += letters;
        if (out.size() >= kBufferLength) {
            return {};  // it could not fit anyway
        }
    }
    return out.size() < kBufferLength ? out : std::wstring();
}

}  // namespace

std::wstring formatTimePictureInEnglish(std::wstring_view picture, const LocalTime& time) {
    if (!isValidTime(time)) {
        return {};
    }
    return formatPicture(picture, [&time](std::wstring& out, wchar_t letter, std::size_t letters) {
        switch (letter) {
            case L'h':
                appendNumber(out, time.hour % 12 == 0 ? 12 : time.hour % 12, letters);
                return true;
            case L'H':
                appendNumber(out, time.hour, letters);
                return true;
            case L'm':
                appendNumber(out, time.minute, letters);
                return true;
            case L's':
                appendNumber(out, time.second, letters);
                return true;
            case L't': {
                const std::wstring_view marker = time.hour < 12 ? L"AM" : L"PM";
                out += letters == 1 ? marker.substr(0, 1) : marker;
                return true;
            }
            default:
                return false;
        }
    });
}

std::wstring formatDatePictureInEnglish(std::wstring_view picture, const LocalTime& time) {
    if (!isValidDate(time)) {
        return {};
    }
    return formatPicture(picture, [&time](std::wstring& out, wchar_t letter, std::size_t letters) {
        switch (letter) {
            case L'd':
                if (letters >= 3) {
                    const std::wstring_view name = kDayNames[static_cast<std::size_t>(dayOfWeek(time))];
                    out += letters == 3 ? name.substr(0, 3) : name;
                } else {
                    appendNumber(out, time.day, letters);
                }
                return true;
            case L'M':
                if (letters >= 3) {
                    const std::wstring_view name = kMonthNames[static_cast<std::size_t>(time.month - 1)];
                    out += letters == 3 ? name.substr(0, 3) : name;
                } else {
                    appendNumber(out, time.month, letters);
                }
                return true;
            case L'y':
                // "y" and "yy" both give the last two digits.
                appendNumber(out, letters >= 3 ? time.year : time.year % 100, 2);
                return true;
            case L'g':
                out += L"AD";
                return true;
            default:
                return false;
        }
    });
}

void expandDateTimePatternInEnglish(std::wstring& fileName, const LocalTime& time) {
    replaceDateTimePicture(fileName, time, [&time](const std::wstring& picture) {
        return formatDatePictureInEnglish(formatTimePictureInEnglish(picture, time), time);
    });
}

}  // namespace jlaunch
