#pragma once
// Fixed-width integers as the file and wire formats hold them: least
// significant byte first (PE and ELF images, the embedded settings, the
// single-instance records), or most significant first (picture headers
// only). Callers check bounds before they read or write.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace jlaunch {

// The value of all of `bytes` (at most eight), least significant first.
constexpr std::uint64_t readLittleEndian(std::span<const std::uint8_t> bytes) {
    std::uint64_t value = 0;
    for (std::size_t i = bytes.size(); i-- > 0;) {
        value = (value << 8) | bytes[i];
    }
    return value;
}

// The low bytes.size() bytes of `value` into `bytes`, least significant first.
constexpr void writeLittleEndian(std::span<std::uint8_t> bytes, std::uint64_t value) {
    for (std::uint8_t& byte : bytes) {
        byte = static_cast<std::uint8_t>(value & 0xFF);
        value >>= 8;
    }
}

// The value of all of `bytes` (at most eight), most significant first.
constexpr std::uint64_t readBigEndian(std::span<const std::uint8_t> bytes) {
    std::uint64_t value = 0;
    for (const std::uint8_t byte : bytes) {
        value = (value << 8) | byte;
    }
    return value;
}

// The low bytes.size() bytes of `value` into `bytes`, most significant first.
constexpr void writeBigEndian(std::span<std::uint8_t> bytes, std::uint64_t value) {
    for (std::size_t i = bytes.size(); i-- > 0;) {
        bytes[i] = static_cast<std::uint8_t>(value & 0xFF);
        value >>= 8;
    }
}

inline std::uint16_t readU16(std::span<const std::uint8_t> bytes, std::size_t at) {
    return static_cast<std::uint16_t>(readLittleEndian(bytes.subspan(at, 2)));
}
inline std::uint32_t readU32(std::span<const std::uint8_t> bytes, std::size_t at) {
    return static_cast<std::uint32_t>(readLittleEndian(bytes.subspan(at, 4)));
}
inline std::uint64_t readU64(std::span<const std::uint8_t> bytes, std::size_t at) {
    return readLittleEndian(bytes.subspan(at, 8));
}
inline void writeU16(std::span<std::uint8_t> bytes, std::size_t at, std::uint16_t value) {
    writeLittleEndian(bytes.subspan(at, 2), value);
}
inline void writeU32(std::span<std::uint8_t> bytes, std::size_t at, std::uint32_t value) {
    writeLittleEndian(bytes.subspan(at, 4), value);
}
inline void writeU64(std::span<std::uint8_t> bytes, std::size_t at, std::uint64_t value) {
    writeLittleEndian(bytes.subspan(at, 8), value);
}
inline void appendU16(std::vector<std::uint8_t>& out, std::uint16_t value) {
    out.resize(out.size() + 2);
    writeU16(out, out.size() - 2, value);
}
inline void appendU32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    out.resize(out.size() + 4);
    writeU32(out, out.size() - 4, value);
}

}  // namespace jlaunch
