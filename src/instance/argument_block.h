#pragma once
// The forwarded arguments as the instances of one executable hand them over,
// and the names under which they find each other (FORMAT.md beside this
// file). The block's size and layout never change, so that instances of
// older builds still understand each other. An older build is a launcher
// that knows the block but not the count record beside it: jlaunch before
// the record came, or any launcher made after the same layout. It writes
// only the argument block, leaves the rest of the region zero, and reads
// the block up to its first two NULs in a row.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace jlaunch {

// The shared block, little-endian: three header fields written by the first
// instance, then the argument block that a second instance fills.
inline constexpr std::size_t kSharedBlockSize = 2092;
inline constexpr std::size_t kListenerThreadIdOffset = 0;
inline constexpr std::size_t kOwnerProcessIdOffset = 4;
inline constexpr std::size_t kMessageIdOffset = 8;
inline constexpr std::size_t kArgumentsOffset = 12;
inline constexpr std::size_t kArgumentBlockSize = 1040;
// Everything from the argument block to the end of the shared block.
inline constexpr std::size_t kArgumentRegionSize = kSharedBlockSize - kArgumentsOffset;

// The bytes the arguments take: each as UTF-16 with a NUL after it, and one
// more NUL at the end.
std::size_t argumentBlockBytes(const std::vector<std::wstring>& arguments);

// True when those bytes fit the argument block.
bool fitsArgumentBlock(const std::vector<std::wstring>& arguments);

// Writes arguments that fit into the argument region: the argument block as
// older builds read it, and beside it, where they leave zeros, their count
// and a checksum, so that empty arguments survive the trip.
void writeArguments(std::span<std::uint8_t, kArgumentRegionSize> region, const std::vector<std::wstring>& arguments);

// The arguments of the region. With a valid count beside the block, exactly
// that many; otherwise (a block from an older build) as older builds read
// it: text up to each NUL, ending at a second NUL in a row, so that an
// empty block gives one empty argument. Never none: a damaged region
// without a NUL reads as one argument of its text.
std::vector<std::wstring> readArguments(std::span<const std::uint8_t, kArgumentRegionSize> region);

// Clears the count beside the block once it was read, so that it can never
// be taken for the count of a block that an older build writes later.
void clearArgumentCount(std::span<std::uint8_t, kArgumentRegionSize> region);

// Windows: the executable's path with every backslash turned into an
// underscore, the name of the shared block, the registered message and,
// with a suffix, the events. A path too long for an object name keeps its
// start and ends in a hash of the whole.
std::wstring instanceName(std::wstring_view executablePath);

// Linux: the abstract socket name of an executable's canonical path (UTF-8)
// for one user.
std::string instanceSocketName(std::string_view canonicalPath, std::uint32_t userId);

}  // namespace jlaunch
