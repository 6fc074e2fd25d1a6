#include "jvmhost/date_time_pattern.h"

#include "common/text.h"

namespace jlaunch {

void replaceDateTimePicture(std::wstring& fileName, const LocalTime& time,
                            FunctionRef<std::wstring(const std::wstring& picture)> format) {
    const std::size_t first = fileName.find(L'%');
    if (first == std::wstring::npos) {
        return;
    }
    const std::size_t last = fileName.rfind(L'%');
    // A lone "%" is both ends of an empty picture.
    const std::wstring_view written =
        last > first ? std::wstring_view(fileName).substr(first + 1, last - first - 1) : std::wstring_view();
    const std::wstring milliseconds = decimalText(time.milliseconds);
    std::wstring picture;
    picture.reserve(written.size());
    for (const wchar_t c : written) {
        if (c == L'L') {
            picture += milliseconds;
        } else {
            picture.push_back(c);
        }
    }
    fileName.replace(first, last - first + 1, format(picture));
}

}  // namespace jlaunch
