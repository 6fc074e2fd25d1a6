#include "splash/picture_size.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <string_view>

#include "common/byte_order.h"

namespace jlaunch {

namespace {

using Bytes = std::array<unsigned char, 26>;

std::uint32_t bigEndian16(std::span<const unsigned char> bytes, std::size_t at) {
    return static_cast<std::uint32_t>(readBigEndian(bytes.subspan(at, 2)));
}
std::uint32_t bigEndian32(std::span<const unsigned char> bytes, std::size_t at) {
    return static_cast<std::uint32_t>(readBigEndian(bytes.subspan(at, 4)));
}
// A bottom-up bitmap states its height as a negative number.
std::uint32_t magnitude(std::uint32_t value) {
    return static_cast<std::uint32_t>(std::llabs(static_cast<std::int32_t>(value)));
}

bool startsWith(const Bytes& bytes, std::string_view magic) {
    return std::string_view(reinterpret_cast<const char*>(bytes.data()), magic.size()) == magic;
}

// Walks the marker segments up to the first frame header; a crafted file
// of tiny segments is given up on rather than walked for ever.
std::optional<PictureSize> jpegSize(const FileReader& file) {
    std::uint64_t offset = 2;
    for (int segment = 0; segment < 4096; ++segment) {
        std::array<unsigned char, 9> head{};
        if (!file.readAt(offset, 4, head.data()) || head[0] != 0xFF) {
            return std::nullopt;
        }
        const unsigned marker = head[1];
        if (marker == 0xFF) {  // fill byte
            ++offset;
            continue;
        }
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {  // markers without a length
            offset += 2;
            continue;
        }
        if (marker == 0xD9 || marker == 0xDA) {  // end of image, start of scan: no frame header came
            return std::nullopt;
        }
        const bool frameHeader = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frameHeader) {
            if (!file.readAt(offset, head.size(), head.data())) {
                return std::nullopt;
            }
            return PictureSize{bigEndian16(head, 7), bigEndian16(head, 5)};
        }
        offset += 2 + bigEndian16(head, 2);
    }
    return std::nullopt;
}

// Skips a chain of data sub-blocks (a length byte, that many bytes, until a
// length of 0); nothing when the file ends first.
std::optional<std::uint64_t> afterSubBlocks(const FileReader& file, std::uint64_t offset) {
    for (;;) {
        unsigned char length = 0;
        if (!file.readAt(offset, 1, &length)) {
            return std::nullopt;
        }
        offset += 1 + std::uint64_t{length};
        if (length == 0) {
            return offset;
        }
    }
}

}  // namespace

std::optional<std::uint32_t> gifFrameCount(const FileReader& file, std::uint32_t limit) {
    std::array<unsigned char, 13> header{};
    if (!file.readAt(0, header.size(), header.data()) ||
        (std::string_view(reinterpret_cast<const char*>(header.data()), 6) != "GIF87a" &&
         std::string_view(reinterpret_cast<const char*>(header.data()), 6) != "GIF89a")) {
        return std::nullopt;
    }
    // A global colour table of 2^(n+1) entries of three bytes may follow.
    std::uint64_t offset = header.size() + ((header[10] & 0x80) != 0 ? 3u << ((header[10] & 0x07) + 1) : 0u);
    std::uint32_t frames = 0;
    for (;;) {
        unsigned char introducer = 0;
        if (!file.readAt(offset, 1, &introducer) || introducer == 0x3B) {  // the end, or the trailer
            return frames;
        }
        std::optional<std::uint64_t> next;
        if (introducer == 0x21) {  // an extension: label, then sub-blocks
            next = afterSubBlocks(file, offset + 2);
        } else if (introducer == 0x2C) {  // an image: descriptor, local colour table, code size, sub-blocks
            std::array<unsigned char, 10> descriptor{};
            if (!file.readAt(offset, descriptor.size(), descriptor.data())) {
                return frames;
            }
            if (++frames > limit) {
                return frames;
            }
            const std::uint64_t table = (descriptor[9] & 0x80) != 0 ? 3u << ((descriptor[9] & 0x07) + 1) : 0u;
            next = afterSubBlocks(file, offset + descriptor.size() + table + 1);
        }
        if (!next) {
            return frames;
        }
        offset = *next;
    }
}

bool isAcceptablePicture(const FileReader& file) {
    if (!file.isOpen()) {
        return false;
    }
    const auto stated = pictureSize(file);
    if (!stated) {
        return true;  // the decoder judges content whose size no header states
    }
    if (!isDrawablePictureSize(stated->width, stated->height)) {
        return false;
    }
    // Every frame of an animation is decoded to the whole canvas.
    const std::uint64_t canvas = std::uint64_t{stated->width} * stated->height;
    const auto framesWithin = static_cast<std::uint32_t>(std::min<std::uint64_t>(
        std::max<std::uint64_t>(kMaxPicturePixels / canvas, 1), kMaxPictureFrames));
    const auto frames = gifFrameCount(file, framesWithin);
    return !frames || *frames <= framesWithin;
}

std::optional<PictureSize> pictureSize(const FileReader& file) {
    Bytes bytes{};
    if (!file.isOpen() || !file.readAt(0, 2, bytes.data())) {
        return std::nullopt;
    }
    if (bytes[0] == 0xFF && bytes[1] == 0xD8) {
        return jpegSize(file);
    }
    if (!file.readAt(0, bytes.size(), bytes.data())) {
        return std::nullopt;
    }
    if (startsWith(bytes, "\x89PNG\r\n\x1A\n")) {
        return PictureSize{bigEndian32(bytes, 16), bigEndian32(bytes, 20)};
    }
    if (startsWith(bytes, "GIF87a") || startsWith(bytes, "GIF89a")) {
        return PictureSize{readU16(bytes, 6), readU16(bytes, 8)};
    }
    if (startsWith(bytes, "BM")) {
        if (readU32(bytes, 14) == 12) {  // the OS/2 header of 16-bit sides
            return PictureSize{readU16(bytes, 18), readU16(bytes, 20)};
        }
        return PictureSize{magnitude(readU32(bytes, 18)), magnitude(readU32(bytes, 22))};
    }
    return std::nullopt;
}

}  // namespace jlaunch
