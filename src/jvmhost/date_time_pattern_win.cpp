#include <windows.h>

#include <array>

#include "jvmhost/date_time_pattern.h"

namespace jlaunch {

LocalTime currentLocalTime() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return {now.wYear, now.wMonth, now.wDayOfWeek, now.wDay, now.wHour, now.wMinute, now.wSecond, now.wMilliseconds};
}

void expandDateTimePattern(std::wstring& fileName, const LocalTime& time) {
    const SYSTEMTIME system{static_cast<WORD>(time.year),      static_cast<WORD>(time.month),
                            static_cast<WORD>(time.dayOfWeek), static_cast<WORD>(time.day),
                            static_cast<WORD>(time.hour),      static_cast<WORD>(time.minute),
                            static_cast<WORD>(time.second),    static_cast<WORD>(time.milliseconds)};
    replaceDateTimePicture(fileName, time, [&system](std::wstring picture) {
        // Each picture ends in two terminators (one more than the 260 that
        // the calls may fill): Wine reads past the first after a quote
        // without partner. A call that fails gives the empty text.
        picture.push_back(L'\0');
        std::array<wchar_t, 261> timeText{};
        if (GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &system, picture.c_str(), timeText.data(), 260) == 0) {
            timeText.fill(L'\0');
        }
        std::array<wchar_t, 260> dateText{};
        if (GetDateFormatW(LOCALE_USER_DEFAULT, 0, &system, timeText.data(), dateText.data(), 260) == 0) {
            dateText.fill(L'\0');
        }
        return std::wstring(dateText.data());
    });
}

}  // namespace jlaunch
