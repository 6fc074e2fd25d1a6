#pragma once
// The splash tests' pictures and the screen they are looked for on: PNG and
// BMP files of a pattern whose pixels tell their own position, and the X
// virtual framebuffer's screen, which Xvfb keeps as an XWD file (-fbdir).
// Header-only and portable: the Windows and the Linux tests share it.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <thread>

namespace splash_test {

// Picture pixel (x, y) as 0xRRGGBB: red and green carry the low bits of x
// and y, blue their high bits.
inline std::uint32_t patternColour(std::uint32_t x, std::uint32_t y) {
    return (x & 0xFF) << 16 | (y & 0xFF) << 8 | ((x >> 8) << 4 | (y >> 8));
}

inline void bigEndian32(std::string& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<char>(value >> shift));
}
inline void littleEndian(std::string& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>(value >> (8 * i)));
}

// An RGB PNG of the pattern; its data in stored (uncompressed) deflate blocks.
inline std::string pngFile(std::uint32_t width, std::uint32_t height) {
    std::string raw;
    for (std::uint32_t y = 0; y < height; ++y) {
        raw.push_back(0);  // no filter
        for (std::uint32_t x = 0; x < width; ++x) {
            for (int shift = 16; shift >= 0; shift -= 8) raw.push_back(static_cast<char>(patternColour(x, y) >> shift));
        }
    }
    std::string zlib = "\x78\x01";
    std::uint32_t a = 1, b = 0;
    for (const char c : raw) {
        a = (a + static_cast<unsigned char>(c)) % 65521;
        b = (b + a) % 65521;
    }
    for (std::size_t at = 0;; at += 65535) {
        const std::size_t size = std::min<std::size_t>(65535, raw.size() - at);
        const bool last = at + size == raw.size();
        zlib.push_back(last ? 1 : 0);
        littleEndian(zlib, static_cast<std::uint32_t>(size), 2);
        littleEndian(zlib, static_cast<std::uint32_t>(~size), 2);
        zlib.append(raw, at, size);
        if (last) break;
    }
    bigEndian32(zlib, b << 16 | a);
    std::string png = "\x89PNG\r\n\x1A\n";
    const auto chunk = [&png](std::string_view type, std::string_view data) {
        bigEndian32(png, static_cast<std::uint32_t>(data.size()));
        const std::string body = std::string(type) + std::string(data);
        std::uint32_t crc = 0xFFFFFFFF;
        for (const char c : body) {
            crc ^= static_cast<unsigned char>(c);
            for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320 & (0 - (crc & 1)));
        }
        png += body;
        bigEndian32(png, ~crc);
    };
    std::string header;
    bigEndian32(header, width);
    bigEndian32(header, height);
    header += std::string("\x08\x02\x00\x00\x00", 5);  // 8-bit RGB, no interlace
    chunk("IHDR", header);
    chunk("IDAT", zlib);
    chunk("IEND", "");
    return png;
}

// A 24-bit BMP of the pattern; or, with `rleEnd`, an 8-bit run-length BMP
// whose data ends at once, so that a picture of any size takes a few bytes.
inline std::string bmpFile(std::uint32_t width, std::uint32_t height, bool rleEnd = false) {
    const std::uint32_t stride = (width * 3 + 3) & ~3u;
    std::string pixels;
    if (rleEnd) {
        pixels = std::string("\0\0\0\0\0\1", 6);  // one palette entry, then end of bitmap
    } else {
        for (std::uint32_t row = height; row-- > 0;) {  // bottom-up
            for (std::uint32_t x = 0; x < width; ++x) littleEndian(pixels, patternColour(x, row), 3);
            pixels.append(stride - width * 3, '\0');
        }
    }
    std::string bmp = "BM";
    littleEndian(bmp, 54 + static_cast<std::uint32_t>(pixels.size()), 4);
    littleEndian(bmp, 0, 4);
    littleEndian(bmp, rleEnd ? 58 : 54, 4);
    for (const std::uint32_t field : {40u, width, height}) littleEndian(bmp, field, 4);
    littleEndian(bmp, 1, 2);
    littleEndian(bmp, rleEnd ? 8 : 24, 2);
    for (const std::uint32_t field : {rleEnd ? 1u : 0u, rleEnd ? 2u : 0u, 2835u, 2835u, rleEnd ? 1u : 0u, 0u}) {
        littleEndian(bmp, field, 4);
    }
    return bmp + pixels;
}

// The screen of a 24- or 32-bit deep Xvfb, as its framebuffer file holds it.
class Screen {
public:
    static std::optional<Screen> parse(std::string bytes) {
        Screen screen;
        const auto field = [&bytes](std::size_t i) {
            const auto* p = reinterpret_cast<const unsigned char*>(bytes.data()) + 4 * i;
            return static_cast<std::uint32_t>(p[0]) << 24 | static_cast<std::uint32_t>(p[1]) << 16 |
                   static_cast<std::uint32_t>(p[2]) << 8 | p[3];
        };
        if (bytes.size() < 100 || field(11) != 32) return std::nullopt;
        screen.width = field(4);
        screen.height = field(5);
        screen.bytesPerLine_ = field(12);
        screen.offset_ = field(0) + 12 * std::size_t{field(19)};  // header, then the colour map
        if (bytes.size() < screen.offset_ + std::size_t{screen.bytesPerLine_} * screen.height) return std::nullopt;
        screen.bytes_ = std::move(bytes);
        return screen;
    }
    // 0xRRGGBB at (x, y); the server's byte order is the machine's own.
    std::uint32_t pixel(std::uint32_t x, std::uint32_t y) const {
        const auto* p = reinterpret_cast<const unsigned char*>(bytes_.data()) + offset_ +
                        std::size_t{y} * bytesPerLine_ + 4 * std::size_t{x};
        return static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[1]) << 8 | p[0];
    }
    std::uint32_t width = 0;
    std::uint32_t height = 0;

private:
    std::uint32_t bytesPerLine_ = 0;
    std::size_t offset_ = 0;
    std::string bytes_;
};

// The screen in the framebuffer file at `path` as it is now.
inline std::optional<Screen> readScreen(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return file ? Screen::parse(std::move(bytes).str()) : std::nullopt;
}

// Empty once the screen shows the pattern picture of `width` x `height` with
// its top-left corner at (`left`, `top`), every pixel of it that lies on the
// screen; otherwise, after `attempts` looks 100 ms apart, what differs.
inline std::string pictureShownAt(const std::string& screenFile, long left, long top, long width, long height,
                                  int attempts = 50) {
    std::string differences = "no screenshot in " + screenFile;
    for (int attempt = 0; attempt < attempts && !differences.empty(); ++attempt) {
        if (attempt > 0) std::this_thread::sleep_for(std::chrono::milliseconds(100));
        const auto screen = readScreen(screenFile);
        if (!screen) continue;
        differences.clear();
        long count = 0;
        for (long y = std::max(0L, -top); y < height && top + y < long(screen->height); ++y) {
            for (long x = std::max(0L, -left); x < width && left + x < long(screen->width); ++x) {
                const std::uint32_t want = patternColour(std::uint32_t(x), std::uint32_t(y));
                const std::uint32_t got = screen->pixel(std::uint32_t(left + x), std::uint32_t(top + y));
                if (got != want && ++count <= 4) {
                    char line[128];
                    std::snprintf(line, sizeof line, "screen (%ld, %ld) %06x, picture (%ld, %ld) %06x\n", left + x,
                                  top + y, unsigned(got), x, y, unsigned(want));
                    differences += line;
                }
            }
        }
        if (count > 0) differences += std::to_string(count) + " pixels differ";
    }
    return differences;
}

}  // namespace splash_test
