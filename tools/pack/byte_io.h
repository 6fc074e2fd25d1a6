#pragma once
// Little-endian reads and writes at byte offsets, bounds checked by callers.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace jlaunch::pack {

inline std::uint16_t readU16(std::span<const std::uint8_t> bytes, std::size_t at) {
    return static_cast<std::uint16_t>(bytes[at] | (bytes[at + 1] << 8));
}
inline std::uint32_t readU32(std::span<const std::uint8_t> bytes, std::size_t at) {
    return static_cast<std::uint32_t>(readU16(bytes, at)) | (static_cast<std::uint32_t>(readU16(bytes, at + 2)) << 16);
}
inline std::uint64_t readU64(std::span<const std::uint8_t> bytes, std::size_t at) {
    return static_cast<std::uint64_t>(readU32(bytes, at)) | (static_cast<std::uint64_t>(readU32(bytes, at + 4)) << 32);
}
inline void writeU16(std::span<std::uint8_t> bytes, std::size_t at, std::uint16_t value) {
    bytes[at] = static_cast<std::uint8_t>(value);
    bytes[at + 1] = static_cast<std::uint8_t>(value >> 8);
}
inline void writeU32(std::span<std::uint8_t> bytes, std::size_t at, std::uint32_t value) {
    writeU16(bytes, at, static_cast<std::uint16_t>(value));
    writeU16(bytes, at + 2, static_cast<std::uint16_t>(value >> 16));
}
inline void appendU16(std::vector<std::uint8_t>& out, std::uint16_t value) {
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}
inline void appendU32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    appendU16(out, static_cast<std::uint16_t>(value));
    appendU16(out, static_cast<std::uint16_t>(value >> 16));
}
inline void padTo(std::vector<std::uint8_t>& out, std::size_t alignment) {
    while (out.size() % alignment != 0) {
        out.push_back(0);
    }
}
inline bool fits(std::span<const std::uint8_t> bytes, std::uint64_t at, std::uint64_t count) {
    return at <= bytes.size() && count <= bytes.size() - at;
}

}  // namespace jlaunch::pack
