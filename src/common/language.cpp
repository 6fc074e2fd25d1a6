#include "common/language.h"

#include <array>
#include <utility>

namespace jlaunch {

std::uint16_t languageForLocaleName(std::string_view localeName) {
    // Only the language part counts: de_AT and de_CH read German too.
    const std::string_view language = localeName.substr(0, localeName.find_first_of("_.@"));
    constexpr std::array<std::pair<std::string_view, std::uint16_t>, 7> kLanguages = {{
        {"en", 1033},
        {"de", 1031},
        {"fr", 1036},
        {"hu", 1038},
        {"it", 1040},
        {"pt", 2070},
        {"es", 3082},
    }};
    for (const auto& [name, id] : kLanguages) {
        if (language == name) {
            return id;
        }
    }
    return 1033;
}

}  // namespace jlaunch
