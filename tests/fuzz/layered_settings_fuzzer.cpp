// A settings file and embedded INI text from the same input, read through
// the layered read for every key either of them names.
#include "fuzz_support.h"
#include "settings/profile_text.h"
#include "settings/settings_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace jlaunch;
    const std::string_view bytes = fuzz::asBytes(data, size);
    const std::size_t half = bytes.size() / 2;
    const LayeredSettings settings(ProfileFile(fuzz::inputFile(bytes.substr(0, half))),
                                   parseIniText(toWide(bytes.substr(half))));
    for (const auto& section : settings.embedded().sections()) {
        for (const auto& [key, value] : section.pairs) {
            const std::wstring read = readSetting(settings, section.name, key);
            fuzz::check(read.size() <= value.size() + 1 + size * 4 || read.empty());
        }
    }
    for (const std::wstring& section : settings.file().sectionNames()) {
        readSetting(settings, section, L"Main Class");
        readSetting(settings, section, L"Class Path");
    }
    return 0;
}
