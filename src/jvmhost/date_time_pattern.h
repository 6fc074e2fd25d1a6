#pragma once
// The date and time of the launch in the names of the redirected output files.
#include <string>
#include <string_view>

#include "common/function_ref.h"

namespace jlaunch {

// A local time with the fields of a Windows SYSTEMTIME: month 1 to 12,
// dayOfWeek 0 (Sunday) to 6.
struct LocalTime {
    int year, month, dayOfWeek, day, hour, minute, second, milliseconds;
};

LocalTime currentLocalTime();

// The part between the first and the last "%" is a picture: "L" is the
// milliseconds, the rest Windows time then date pictures. The picture and
// both percent signs are replaced by the formatted text; a name without "%"
// stays as it is. Windows formats in the user's locale, Linux in English.
void expandDateTimePattern(std::wstring& fileName, const LocalTime& time);

// The English formatting of the Linux build, on every platform.
void expandDateTimePatternInEnglish(std::wstring& fileName, const LocalTime& time);

// One formatting pass over a picture; text that does not fit in 260
// characters with its terminator gives the empty text.
std::wstring formatTimePictureInEnglish(std::wstring_view picture, const LocalTime& time);
std::wstring formatDatePictureInEnglish(std::wstring_view picture, const LocalTime& time);

// The frame both builds share: finds the picture, puts the milliseconds in
// for "L" and replaces the picture by what `format` makes of the result.
void replaceDateTimePicture(std::wstring& fileName, const LocalTime& time,
                            FunctionRef<std::wstring(const std::wstring& picture)> format);

}  // namespace jlaunch
