#include "settings/embedded/settings_trailer.h"

#include <algorithm>
#include <array>
#include <limits>
#include <string_view>

#include "common/byte_order.h"
#include "settings/embedded/sealed_settings.h"

namespace jlaunch {

namespace {

constexpr std::string_view kMark = "jlaunch-settings";
static_assert(kMark.size() + 8 == kTrailerFooterSize);

}  // namespace

TrailerCheck findTrailer(std::span<const std::uint8_t> footer, std::uint64_t fileSize, TrailerPlace& place) {
    if (footer.size() != kTrailerFooterSize || fileSize < kTrailerFooterSize ||
        !std::equal(kMark.begin(), kMark.end(), footer.begin() + 8)) {
        return TrailerCheck::None;
    }
    const std::uint64_t size = readU64(footer, 0);
    if (size > kSealedMaximumSize || size > fileSize - kTrailerFooterSize) {
        return TrailerCheck::Damaged;
    }
    place.size = size;
    place.offset = fileSize - kTrailerFooterSize - size;
    return TrailerCheck::Found;
}

namespace {

constexpr std::size_t kElfHeaderSize = 64;
constexpr std::size_t kMaximumHeaders = 4096;
constexpr std::uint32_t kSectionNoBits = 8;

std::uint64_t little(const std::uint8_t* at, std::size_t width) {
    return readLittleEndian({at, width});
}

// The end of a table of `count` entries of `entrySize` bytes at `offset`, and
// of every range an entry names (`rangeEnd` of the entry's bytes, 0 for none).
template <typename RangeEnd>
std::optional<std::uint64_t> tableEnd(ReadAt read, std::uint64_t fileSize, std::uint64_t offset, std::uint64_t count,
                                      std::uint64_t entrySize, std::size_t minimumEntry, RangeEnd rangeEnd) {
    if (count == 0) {
        return 0;
    }
    if (count > kMaximumHeaders || entrySize < minimumEntry || offset > fileSize ||
        count * entrySize > fileSize - offset) {
        return std::nullopt;
    }
    std::vector<std::uint8_t> table(static_cast<std::size_t>(count * entrySize));
    if (!read(offset, table.size(), table.data())) {
        return std::nullopt;
    }
    std::uint64_t end = offset + table.size();
    for (std::uint64_t i = 0; i < count; ++i) {
        const std::optional<std::uint64_t> named = rangeEnd(table.data() + i * entrySize);
        if (!named || *named > fileSize) {
            return std::nullopt;
        }
        end = std::max(end, *named);
    }
    return end;
}

std::optional<std::uint64_t> rangeEnd(std::uint64_t offset, std::uint64_t size) {
    if (offset > std::numeric_limits<std::uint64_t>::max() - size) {
        return std::nullopt;
    }
    return offset + size;
}

// Whether `needle` occurs in the `length` bytes at `offset`, read in pieces.
bool occursIn(ReadAt read, std::uint64_t offset, std::uint64_t length, std::string_view needle) {
    constexpr std::size_t kPiece = std::size_t{64} * 1024;
    std::vector<std::uint8_t> piece(kPiece + needle.size());
    std::uint64_t at = offset;
    const std::uint64_t end = offset + length;
    while (at < end) {
        const std::size_t count = static_cast<std::size_t>(std::min<std::uint64_t>(piece.size(), end - at));
        if (!read(at, count, piece.data())) {
            return false;
        }
        const std::string_view text(reinterpret_cast<const char*>(piece.data()), count);
        if (text.find(needle) != std::string_view::npos) {
            return true;
        }
        if (at + count >= end) {
            break;
        }
        at += count - needle.size() + 1;  // pieces overlap by all but one byte of the needle
    }
    return false;
}

}  // namespace

std::optional<std::uint64_t> elfImageEnd(ReadAt read, std::uint64_t fileSize) {
    std::array<std::uint8_t, kElfHeaderSize> header{};
    if (fileSize < header.size() || !read(0, header.size(), header.data()) || header[0] != 0x7F ||
        header[1] != 'E' || header[2] != 'L' || header[3] != 'F' || header[4] != 2 || header[5] != 1) {
        return std::nullopt;
    }
    const auto programs = tableEnd(read, fileSize, little(&header[0x20], 8), little(&header[0x38], 2),
                                   little(&header[0x36], 2), 56,
                                   [](const std::uint8_t* e) { return rangeEnd(little(e + 8, 8), little(e + 32, 8)); });
    const auto sections =
        tableEnd(read, fileSize, little(&header[0x28], 8), little(&header[0x3C], 2), little(&header[0x3A], 2), 64,
                 [](const std::uint8_t* e) -> std::optional<std::uint64_t> {
                     if (little(e + 4, 4) == kSectionNoBits) {
                         return 0;
                     }
                     return rangeEnd(little(e + 0x18, 8), little(e + 0x20, 8));
                 });
    if (!programs || !sections) {
        return std::nullopt;
    }
    return std::max<std::uint64_t>({header.size(), *programs, *sections});
}

TrailerCheck examineLauncherFile(ReadAt read, std::uint64_t fileSize, TrailerPlace& place) {
    const std::optional<std::uint64_t> imageEnd = elfImageEnd(read, fileSize);
    if (!imageEnd) {
        return TrailerCheck::Damaged;
    }
    std::array<std::uint8_t, kTrailerFooterSize> footer{};
    if (fileSize >= *imageEnd + footer.size() && read(fileSize - footer.size(), footer.size(), footer.data())) {
        const TrailerCheck atEnd = findTrailer(footer, fileSize, place);
        if (atEnd == TrailerCheck::Found) {
            return place.offset >= *imageEnd ? TrailerCheck::Found : TrailerCheck::Damaged;
        }
        if (atEnd == TrailerCheck::Damaged) {
            return atEnd;
        }
    }
    // No footer ends the file. The packer puts an envelope right after the
    // image (or after a jar it embeds, followed by the footer): an envelope's
    // mark there, or a footer's mark among the last bytes, means the file
    // was changed after packing.
    const std::uint64_t overlay = fileSize - *imageEnd;
    constexpr std::string_view kEnvelopeMark("JLS1", 4);
    std::array<std::uint8_t, 4> start{};
    if (overlay >= start.size() && read(*imageEnd, start.size(), start.data()) &&
        std::equal(kEnvelopeMark.begin(), kEnvelopeMark.end(), start.begin())) {
        return TrailerCheck::Damaged;
    }
    const std::uint64_t tail = std::min<std::uint64_t>(overlay, kSealedMaximumSize + kTrailerFooterSize);
    return occursIn(read, fileSize - tail, tail, kMark) ? TrailerCheck::Damaged : TrailerCheck::None;
}

std::vector<std::uint8_t> trailerFooter(std::uint64_t size) {
    std::vector<std::uint8_t> footer(kTrailerFooterSize);
    writeU64(footer, 0, size);
    std::copy(kMark.begin(), kMark.end(), footer.begin() + 8);
    return footer;
}

}  // namespace jlaunch
