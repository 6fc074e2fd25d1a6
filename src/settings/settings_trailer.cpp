#include "settings/settings_trailer.h"

#include <algorithm>
#include <string_view>

#include "settings/sealed_settings.h"

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
    std::uint64_t size = 0;
    for (std::size_t i = 0; i < 8; ++i) {
        size |= static_cast<std::uint64_t>(footer[i]) << (8 * i);
    }
    if (size > kSealedMaximumSize || size > fileSize - kTrailerFooterSize) {
        return TrailerCheck::Damaged;
    }
    place.size = size;
    place.offset = fileSize - kTrailerFooterSize - size;
    return TrailerCheck::Found;
}

std::vector<std::uint8_t> trailerFooter(std::uint64_t size) {
    std::vector<std::uint8_t> footer(8);
    for (std::size_t i = 0; i < 8; ++i) {
        footer[i] = static_cast<std::uint8_t>(size >> (8 * i));
    }
    footer.insert(footer.end(), kMark.begin(), kMark.end());
    return footer;
}

}  // namespace jlaunch
