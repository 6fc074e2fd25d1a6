#include "common/pe_image.h"

#include <array>

#include "common/file_reader.h"

namespace jlaunch {

namespace {

std::uint32_t littleEndian(const unsigned char* bytes, std::size_t count) {
    std::uint32_t value = 0;
    for (std::size_t i = count; i-- > 0;) {
        value = (value << 8) | bytes[i];
    }
    return value;
}

}  // namespace

std::optional<std::uint16_t> peImageMachine(const FileReader& file) {
    // The DOS header: "MZ" at 0 and the offset of the NT headers at 0x3C.
    std::array<unsigned char, 64> dos{};
    if (!file.readAt(0, dos.size(), dos.data()) || dos[0] != 'M' || dos[1] != 'Z') {
        return std::nullopt;
    }
    const std::uint32_t ntOffset = littleEndian(&dos[0x3C], 4);
    // The offset is signed in the format; a negative one names nothing.
    if (ntOffset > 0x7FFFFFFFu) {
        return std::nullopt;
    }
    // "PE\0\0", then the 20-byte file header, whose first field is the
    // machine; a file cut inside that header has no valid NT headers.
    std::array<unsigned char, 24> nt{};
    if (!file.readAt(ntOffset, nt.size(), nt.data()) || littleEndian(nt.data(), 4) != 0x00004550u) {
        return std::nullopt;
    }
    return static_cast<std::uint16_t>(littleEndian(&nt[4], 2));
}

bool isX86Image(const std::wstring& path) {
    const FileReader file(path);
    const auto machine = peImageMachine(file);
    return machine && *machine == kMachineX86;
}

}  // namespace jlaunch
