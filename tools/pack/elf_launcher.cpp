#include "elf_launcher.h"

#include <algorithm>
#include <string_view>

#include "byte_io.h"
#include "settings/embedded/settings_trailer.h"

namespace jlaunch::pack {

bool isJlaunchElf(std::span<const std::uint8_t> file) {
    // 64-bit little-endian ELF; the section names are in the section named
    // by e_shstrndx.
    if (!fits(file, 0, 64) || file[0] != 0x7F || file[1] != 'E' || file[2] != 'L' || file[3] != 'F' || file[4] != 2 ||
        file[5] != 1) {
        return false;
    }
    const std::uint64_t tableAt = readU64(file, 0x28);
    const std::uint16_t entrySize = readU16(file, 0x3A);
    const std::uint16_t count = readU16(file, 0x3C);
    const std::uint16_t namesIndex = readU16(file, 0x3E);
    if (entrySize < 64 || namesIndex >= count || !fits(file, tableAt, std::uint64_t{count} * entrySize)) {
        return false;
    }
    const std::size_t namesHeader = static_cast<std::size_t>(tableAt) + std::size_t{namesIndex} * entrySize;
    const std::uint64_t namesAt = readU64(file, namesHeader + 0x18);
    const std::uint64_t namesSize = readU64(file, namesHeader + 0x20);
    if (!fits(file, namesAt, namesSize)) {
        return false;
    }
    constexpr std::string_view kMarker = ".jlaunch";
    for (std::uint16_t i = 0; i < count; ++i) {
        const std::uint32_t name = readU32(file, static_cast<std::size_t>(tableAt) + std::size_t{i} * entrySize);
        if (name < namesSize && namesSize - name > kMarker.size()) {
            const auto* text = reinterpret_cast<const char*>(file.data() + namesAt + name);
            if (std::string_view(text, kMarker.size()) == kMarker && text[kMarker.size()] == '\0') {
                return true;
            }
        }
    }
    return false;
}

std::optional<std::size_t> elfImageSize(std::span<const std::uint8_t> file) {
    const auto end = elfImageEnd(
        [file](std::uint64_t offset, std::size_t count, void* out) {
            if (!fits(file, offset, count)) {
                return false;
            }
            std::copy_n(file.begin() + static_cast<std::ptrdiff_t>(offset), count, static_cast<std::uint8_t*>(out));
            return true;
        },
        file.size());
    if (!end) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(*end);
}

std::vector<std::uint8_t> trailerFooterFor(std::size_t envelopeSize) {
    return trailerFooter(envelopeSize);
}

}  // namespace jlaunch::pack
