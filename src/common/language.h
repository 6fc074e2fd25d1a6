#pragma once
// Maps a POSIX locale name to the Windows language of the message table.
#include <cstdint>
#include <string_view>

namespace jlaunch {

// "de_DE.UTF-8" gives 1031; unknown, empty, "C" and "POSIX" give English (1033).
std::uint16_t languageForLocaleName(std::string_view localeName);

}  // namespace jlaunch
