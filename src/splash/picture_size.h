#pragma once
// The pixel size a picture file states in its header, read before any
// decoder sees the file: a picture too large to draw is refused before its
// pixels are decoded, which alone could take gigabytes.
#include <cstdint>
#include <optional>

#include "common/file_reader.h"

namespace jlaunch {

struct PictureSize {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
};

// The size stated by a PNG, GIF, BMP or JPEG header; nothing for any other
// content, which the decoder then has to judge.
std::optional<PictureSize> pictureSize(const FileReader& file);

// The largest side of a splash picture in pixels: an 8K display's width.
inline constexpr std::uint32_t kMaxPictureSide = 8192;

// True for a picture with pixels that is small enough to draw.
inline bool isDrawablePictureSize(std::uint64_t width, std::uint64_t height) {
    return width > 0 && height > 0 && width <= kMaxPictureSide && height <= kMaxPictureSide;
}

}  // namespace jlaunch
