// Output file names with a date-time picture: any picture, any length, gives
// a name, and never more than the 260 characters a picture may fill.
#include "fuzz_support.h"
#include "jvmhost/date_time_pattern.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace jlaunch;
    const std::wstring text = toWide(fuzz::asBytes(data, size));
    const LocalTime time{2026, 12, 2, 8, 13, 38, 59, 7};
    fuzz::check(formatTimePictureInEnglish(text, time).size() < 260);
    fuzz::check(formatDatePictureInEnglish(text, time).size() < 260);
    std::wstring name = text;
    expandDateTimePatternInEnglish(name, time);
    if (text.find(L'%') == std::wstring::npos) {
        fuzz::check(name == text);
    }
    return 0;
}
