#pragma once
// How a Linux launcher carries its enciphered settings: appended after the
// ELF image, which the loader never maps, so no header changes:
//   envelope | envelope length (u64, little endian) | "jlaunch-settings"
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace jlaunch {

inline constexpr std::size_t kTrailerFooterSize = 24;

struct TrailerPlace {
    std::uint64_t offset = 0;  // of the envelope
    std::uint64_t size = 0;
};

enum class TrailerCheck { None, Found, Damaged };

// Examines the last kTrailerFooterSize bytes of a file of `fileSize` bytes.
// Damaged: the mark is there but the length cannot be right.
TrailerCheck findTrailer(std::span<const std::uint8_t> footer, std::uint64_t fileSize, TrailerPlace& place);

// The footer that follows an envelope of `size` bytes.
std::vector<std::uint8_t> trailerFooter(std::uint64_t size);

}  // namespace jlaunch
