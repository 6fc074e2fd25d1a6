#pragma once
// The Linux launcher as the packer sees it: an ELF file marked by a
// ".jlaunch" section, perhaps already followed by a settings trailer.
#include <cstdint>
#include <span>
#include <vector>

namespace jlaunch::pack {

bool isJlaunchElf(std::span<const std::uint8_t> file);
// The file's size without a settings trailer it may carry.
std::size_t elfImageSize(std::span<const std::uint8_t> file);
std::vector<std::uint8_t> trailerFooterFor(std::size_t envelopeSize);

}  // namespace jlaunch::pack
