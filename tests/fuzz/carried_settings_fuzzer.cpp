// The Linux launcher's look at what follows its ELF image, over any bytes:
// Found only with the envelope inside the file after the image.
#include <algorithm>

#include "fuzz_support.h"
#include "settings/embedded/settings_trailer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace jlaunch;
    const auto read = [data, size](std::uint64_t offset, std::size_t count, void* out) {
        if (offset > size || count > size - offset) {
            return false;
        }
        std::copy_n(data + offset, count, static_cast<std::uint8_t*>(out));
        return true;
    };
    TrailerPlace place;
    if (examineLauncherFile(read, size, place) == TrailerCheck::Found) {
        const auto imageEnd = elfImageEnd(read, size);
        fuzz::check(imageEnd && place.offset >= *imageEnd && place.offset + place.size + kTrailerFooterSize == size);
    }
    return 0;
}
