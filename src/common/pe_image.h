#pragma once
// The machine a PE image is built for, read from its headers.
#include <cstdint>
#include <optional>
#include <string>

namespace jlaunch {

class FileReader;

inline constexpr std::uint16_t kMachineX86 = 0x014C;
inline constexpr std::uint16_t kMachineX64 = 0x8664;
inline constexpr std::uint16_t kMachineArm64 = 0xAA64;

// The machine field of a PE image's NT headers, read with a bounds check
// on every offset; nothing when the file is not a PE image.
std::optional<std::uint16_t> peImageMachine(const FileReader& file);

// True when the file is a PE image for 32-bit x86.
bool isX86Image(const std::wstring& path);

}  // namespace jlaunch
