#include "icon_file.h"

#include <algorithm>
#include <array>
#include <utility>
#include <vector>

#include "byte_io.h"

namespace jlaunch::pack {

std::optional<IconResources> readIconFile(std::span<const std::uint8_t> file, std::uint16_t firstId,
                                          std::string& error) {
    constexpr std::size_t kHeaderSize = 6;
    constexpr std::size_t kEntrySize = 16;
    if (!fits(file, 0, kHeaderSize) || readU16(file, 0) != 0 || readU16(file, 2) != 1) {
        error = "not an icon file (no icon directory)";
        return std::nullopt;
    }
    const std::uint16_t count = readU16(file, 4);
    if (count == 0 || !fits(file, kHeaderSize, std::size_t{count} * kEntrySize) || count > 0xFFFF - firstId) {
        error = "the icon file holds no images, or its directory is cut short";
        return std::nullopt;
    }
    IconResources icon;
    appendU16(icon.group, 0);
    appendU16(icon.group, 1);
    appendU16(icon.group, count);
    // Images may not share bytes: a directory naming one image many times
    // would multiply what is copied into the exe.
    std::vector<std::pair<std::uint32_t, std::uint32_t>> ranges;
    for (std::uint16_t i = 0; i < count; ++i) {
        const std::size_t entry = kHeaderSize + std::size_t{i} * kEntrySize;
        ranges.emplace_back(readU32(file, entry + 12), readU32(file, entry + 8));
    }
    std::sort(ranges.begin(), ranges.end());
    for (std::size_t i = 1; i < ranges.size(); ++i) {
        if (std::uint64_t{ranges[i - 1].first} + ranges[i - 1].second > ranges[i].first) {
            error = "two icon images share bytes of the file";
            return std::nullopt;
        }
    }
    constexpr std::array<std::uint8_t, 8> kPng = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    for (std::uint16_t i = 0; i < count; ++i) {
        const std::size_t entry = kHeaderSize + std::size_t{i} * kEntrySize;
        const std::uint32_t size = readU32(file, entry + 8);
        const std::uint32_t offset = readU32(file, entry + 12);
        if (size == 0 || !fits(file, offset, size)) {
            error = "icon image " + std::to_string(i + 1) + " lies outside the file";
            return std::nullopt;
        }
        const auto image = file.subspan(offset, size);
        const bool png = image.size() >= kPng.size() && std::equal(kPng.begin(), kPng.end(), image.begin());
        const bool bitmap = image.size() >= 40 && readU32(image, 0) == 40;
        if (!png && !bitmap) {
            error = "icon image " + std::to_string(i + 1) + " is neither a PNG nor a bitmap";
            return std::nullopt;
        }
        icon.images.emplace_back(image.begin(), image.end());
        // The group entry is the file's entry with the offset replaced by an id.
        icon.group.insert(icon.group.end(), file.begin() + static_cast<std::ptrdiff_t>(entry),
                          file.begin() + static_cast<std::ptrdiff_t>(entry + 12));
        appendU16(icon.group, static_cast<std::uint16_t>(firstId + i));
    }
    return icon;
}

}  // namespace jlaunch::pack
