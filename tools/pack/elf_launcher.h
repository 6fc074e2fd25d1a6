#pragma once
// The Linux launcher as the packer sees it: an ELF file marked by a
// ".jlaunch" section, perhaps already followed by a settings trailer.
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace jlaunch::pack {

bool isJlaunchElf(std::span<const std::uint8_t> file);
// The size of the ELF image alone, without what follows it (settings, a jar
// carried by an earlier packing); nothing when its headers are damaged.
std::optional<std::size_t> elfImageSize(std::span<const std::uint8_t> file);
std::vector<std::uint8_t> trailerFooterFor(std::size_t envelopeSize);

}  // namespace jlaunch::pack
