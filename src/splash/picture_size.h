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

// The pixels all frames of a picture may hold together: 64 million (256 MB
// decoded), a minute of a full-screen animation's worth of small frames.
inline constexpr std::uint64_t kMaxPicturePixels = std::uint64_t{64} << 20;
// And the frames: each costs the decoder time of its own, however small.
inline constexpr std::uint32_t kMaxPictureFrames = 1000;

// The frames of a GIF, counted without decoding them, up to one more than
// `limit`; nothing for another format.
std::optional<std::uint32_t> gifFrameCount(const FileReader& file, std::uint32_t limit);

// True when a picture may be handed to a decoder: a regular file (a FIFO or
// device is never opened for reading), whose stated size is drawable, and
// whose frames hold at most kMaxPicturePixels pixels in all (one frame may
// fill the largest drawable canvas), kMaxPictureFrames at most.
bool isAcceptablePicture(const FileReader& file);

}  // namespace jlaunch
