// The packaging tool's readers over any bytes: the PE reader and, for what it
// accepts, the writer (whose output must read back with the same resources);
// the icon reader; the version resource writer. An answer or a refusal,
// never a read or write outside the input, never memory out of proportion.
#include "fuzz_support.h"
#include "icon_file.h"
#include "pe_image.h"
#include "version_info.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace jlaunch;
    const std::span<const std::uint8_t> bytes(data, size);
    std::string error;
    if (const auto image = pack::PeImage::parse(bytes, error)) {
        if (const auto out = image->withResources(bytes, image->resources(), error)) {
            fuzz::check(out->size() >= 2 && (*out)[0] == 'M' && (*out)[1] == 'Z');
            const auto again = pack::PeImage::parse(*out, error);
            fuzz::check(again && again->resources() == image->resources());
        }
    }
    if (const auto icon = pack::readIconFile(bytes, 1, error)) {
        std::size_t total = 0;
        for (const auto& picture : icon->images) {
            total += picture.size();
        }
        fuzz::check(total <= size);
    }
    pack::VersionStrings version;
    version.strings.emplace_back(u"ProductName", std::u16string(size / 2, u'x'));
    if (const auto resource = pack::buildVersionResource(version)) {
        fuzz::check(((*resource)[0] | ((*resource)[1] << 8)) == static_cast<int>(resource->size()));
    }
    return 0;
}
