#pragma once
// What the fuzz targets share: a check that aborts, and the ways input bytes
// become the launcher's text.
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <string_view>

#include "common/text.h"

namespace jlaunch::fuzz {

inline void check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

// Whole 32-bit units, so the parsers also meet values that no decoder makes:
// lone surrogates, negative wchar_t and values past U+10FFFF.
inline std::wstring rawUnits(std::string_view bytes) {
    std::wstring units(bytes.size() / sizeof(wchar_t), L'\0');
    std::memcpy(units.data(), bytes.data(), units.size() * sizeof(wchar_t));
    return units;
}

inline std::string_view asBytes(const std::uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

// A file holding the input, for the readers that take a path; one per process.
inline std::wstring inputFile(std::string_view bytes) {
    static const std::string path = "/dev/shm/jlaunch-fuzz-" + std::to_string(getpid());
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return toWide(path);
}

}  // namespace jlaunch::fuzz
