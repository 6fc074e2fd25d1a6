#pragma once
// How a Linux launcher carries its enciphered settings: appended after the
// ELF image, which the loader never maps, so no header changes:
//   envelope | envelope length (u64, little endian) | "jlaunch-settings"
// (FORMAT.md beside this file).
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "common/function_ref.h"

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

// Reads `count` bytes at `offset` of a file; false when it is shorter.
using ReadAt = FunctionRef<bool(std::uint64_t offset, std::size_t count, void* out)>;

// Where the ELF image of a file of `fileSize` bytes ends: past its headers
// and the bytes of every segment and section they name. Nothing when the
// file is not a 64-bit little-endian ELF file or its headers name bytes past
// its end (the file was cut).
std::optional<std::uint64_t> elfImageEnd(ReadAt read, std::uint64_t fileSize);

// The settings a Linux launcher carries: Found only with the footer at the
// very end and the envelope after the ELF image; Damaged when the file was
// cut, or an envelope or mark lies after the image but no footer ends the
// file (bytes appended after packing, a damaged mark); None when nothing
// after the image looks like carried settings.
TrailerCheck examineLauncherFile(ReadAt read, std::uint64_t fileSize, TrailerPlace& place);

// The footer that follows an envelope of `size` bytes.
std::vector<std::uint8_t> trailerFooter(std::uint64_t size);

}  // namespace jlaunch
