#include <time.h>

#include "jvmhost/date_time_pattern.h"

namespace jlaunch {

LocalTime currentLocalTime() {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    tm local{};
    localtime_r(&now.tv_sec, &local);
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_wday, local.tm_mday,
            local.tm_hour,        local.tm_min,     local.tm_sec,  static_cast<int>(now.tv_nsec / 1000000)};
}

void expandDateTimePattern(std::wstring& fileName, const LocalTime& time) {
    expandDateTimePatternInEnglish(fileName, time);
}

}  // namespace jlaunch
