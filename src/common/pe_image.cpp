#include "common/pe_image.h"

#include <array>

#include "common/byte_order.h"
#include "common/file_reader.h"

namespace jlaunch {

std::optional<std::uint16_t> peImageMachine(const FileReader& file) {
    // The DOS header: "MZ" at 0 and the offset of the NT headers at 0x3C.
    std::array<unsigned char, 64> dos{};
    if (!file.readAt(0, dos.size(), dos.data()) || dos[0] != 'M' || dos[1] != 'Z') {
        return std::nullopt;
    }
    const std::uint32_t ntOffset = readU32(dos, 0x3C);
    // The offset is signed in the format; a negative one names nothing.
    if (ntOffset > 0x7FFFFFFFu) {
        return std::nullopt;
    }
    // "PE\0\0", then the 20-byte file header, whose first field is the
    // machine; a file cut inside that header has no valid NT headers.
    std::array<unsigned char, 24> nt{};
    if (!file.readAt(ntOffset, nt.size(), nt.data()) || readU32(nt, 0) != 0x00004550u) {
        return std::nullopt;
    }
    return readU16(nt, 4);
}

bool isX86Image(const std::wstring& path) {
    const FileReader file(path);
    const auto machine = peImageMachine(file);
    return machine && *machine == kMachineX86;
}

}  // namespace jlaunch
