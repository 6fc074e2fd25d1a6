#include "common/zip_entry.h"

#include <algorithm>
#include <vector>

#include "common/byte_order.h"
#include "common/inflate.h"

namespace jlaunch {

namespace {

constexpr std::uint32_t kEndSignature = 0x06054b50;
constexpr std::uint32_t kCentralSignature = 0x02014b50;
constexpr std::uint32_t kLocalSignature = 0x04034b50;
constexpr std::size_t kEndSize = 22;
constexpr std::size_t kCentralSize = 46;
constexpr std::size_t kLocalSize = 30;
constexpr std::size_t kMaxComment = 65535;

std::uint32_t little(const unsigned char* bytes, std::size_t count) {
    return static_cast<std::uint32_t>(readLittleEndian({bytes, count}));
}

struct Directory {
    std::uint64_t offset = 0;
    std::uint64_t size = 0;
};

// The central directory as the end record places it (the last one: a
// comment may hold the signature too, but no record fits after the last).
std::optional<Directory> findDirectory(std::uint64_t fileSize, ZipReadFunction read) {
    if (fileSize < kEndSize) {
        return std::nullopt;
    }
    const std::size_t tail = static_cast<std::size_t>(std::min<std::uint64_t>(fileSize, kEndSize + kMaxComment));
    std::vector<unsigned char> bytes(tail);
    if (!read(fileSize - tail, tail, bytes.data())) {
        return std::nullopt;
    }
    for (std::size_t at = tail - kEndSize + 1; at-- > 0;) {
        const unsigned char* record = bytes.data() + at;
        if (little(record, 4) != kEndSignature || at + kEndSize + little(record + 20, 2) != tail) {
            continue;
        }
        const Directory directory{little(record + 16, 4), little(record + 12, 4)};
        const std::uint64_t end = fileSize - tail + at;
        if (directory.offset > end || directory.size > end - directory.offset) {
            return std::nullopt;
        }
        return directory;
    }
    return std::nullopt;
}

// Attribute names are ASCII, compared in any letter case.
bool sameAsciiName(std::string_view a, std::string_view b) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [&lower](char x, char y) { return lower(x) == lower(y); });
}

}  // namespace

std::optional<std::string> readZipEntry(std::uint64_t fileSize, ZipReadFunction read, std::string_view name,
                                        std::size_t limit) {
    const auto directory = findDirectory(fileSize, read);
    if (!directory || directory->size > (std::uint64_t{64} << 20)) {
        return std::nullopt;
    }
    std::vector<unsigned char> central(static_cast<std::size_t>(directory->size));
    if (!read(directory->offset, central.size(), central.data())) {
        return std::nullopt;
    }
    for (std::size_t at = 0; central.size() - at >= kCentralSize;) {
        const unsigned char* header = central.data() + at;
        if (little(header, 4) != kCentralSignature) {
            return std::nullopt;
        }
        const std::size_t nameLength = little(header + 28, 2);
        const std::size_t skipped = kCentralSize + nameLength + little(header + 30, 2) + little(header + 32, 2);
        if (central.size() - at < skipped) {
            return std::nullopt;
        }
        const std::string_view entryName(reinterpret_cast<const char*>(header + kCentralSize), nameLength);
        if (entryName != name) {
            at += skipped;
            continue;
        }
        const std::uint32_t flags = little(header + 8, 2);
        const std::uint32_t method = little(header + 10, 2);
        const std::uint64_t packed = little(header + 20, 4);
        const std::uint64_t size = little(header + 24, 4);
        const std::uint64_t local = little(header + 42, 4);
        // Encrypted, or neither stored nor deflated, or larger than allowed.
        if ((flags & 1) != 0 || (method != 0 && method != 8) || size > limit || packed > fileSize ||
            (method == 0 && packed != size)) {
            return std::nullopt;
        }
        unsigned char localHeader[kLocalSize];
        if (local > fileSize || !read(local, kLocalSize, localHeader) || little(localHeader, 4) != kLocalSignature) {
            return std::nullopt;
        }
        const std::uint64_t data = local + kLocalSize + little(localHeader + 26, 2) + little(localHeader + 28, 2);
        if (data > fileSize || packed > fileSize - data) {
            return std::nullopt;
        }
        std::string bytes(static_cast<std::size_t>(packed), '\0');
        if (!read(data, bytes.size(), bytes.data())) {
            return std::nullopt;
        }
        if (method == 0) {
            return bytes;
        }
        auto inflated = inflateRaw(bytes, static_cast<std::size_t>(size));
        if (!inflated || inflated->size() != size) {
            return std::nullopt;
        }
        return inflated;
    }
    return std::nullopt;
}

std::optional<std::string> manifestAttribute(std::string_view manifest, std::string_view name) {
    std::optional<std::string> found;
    bool inFound = false;
    while (!manifest.empty()) {
        std::size_t end = manifest.find_first_of("\r\n");
        const std::string_view line = manifest.substr(0, end);
        if (end != std::string_view::npos) {
            end += manifest[end] == '\r' && end + 1 < manifest.size() && manifest[end + 1] == '\n' ? 2u : 1u;
        }
        manifest.remove_prefix(end == std::string_view::npos ? manifest.size() : end);
        if (line.empty()) {
            break;  // the main section ends at the first empty line
        }
        if (line.front() == ' ') {
            if (inFound) {
                found->append(line.substr(1));
            }
            continue;
        }
        const std::size_t colon = line.find(": ");
        inFound = !found && colon != std::string_view::npos && sameAsciiName(line.substr(0, colon), name);
        if (inFound) {
            found = std::string(line.substr(colon + 2));
        }
    }
    return found;
}

}  // namespace jlaunch
