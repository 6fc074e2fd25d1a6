#pragma once
// The 32-bit image test and the paired launcher that runs 32-bit Java VMs.
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

// Starts `pairProduct` with this process's own command line. With
// `waitForExitCode`, waits for it and returns its exit code; otherwise, or
// when it could not be started, returns 0.
std::int32_t startPairedLauncherProcess(const std::wstring& pairProduct, bool waitForExitCode);

}  // namespace jlaunch
