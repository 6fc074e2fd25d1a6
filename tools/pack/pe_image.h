#pragma once
// The parts of a 64-bit PE image the packer reads and rewrites: headers,
// section table, data directories, and the resource tree.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "resource_tree.h"

namespace jlaunch::pack {

struct PeSection {
    std::string name;
    std::uint32_t virtualSize = 0;
    std::uint32_t virtualAddress = 0;
    std::uint32_t rawSize = 0;
    std::uint32_t rawPointer = 0;
    std::uint32_t characteristics = 0;
};

class PeImage {
public:
    // Nothing (and `error` set) unless `bytes` is a well-formed PE32+ image.
    static std::optional<PeImage> parse(std::span<const std::uint8_t> bytes, std::string& error);

    const std::vector<PeSection>& sections() const { return sections_; }
    // The resources; an image without a resource directory has none.
    const ResourceTree& resources() const { return resources_; }

    // The image with its resource section replaced by `tree`, the sections
    // after it (only the base relocations may follow) moved up, the
    // certificate table dropped and the checksum renewed. Nothing (and
    // `error` set) when the layout does not allow it.
    std::optional<std::vector<std::uint8_t>> withResources(std::span<const std::uint8_t> bytes,
                                                           const ResourceTree& tree, std::string& error) const;

private:
    // The address (a file offset for the certificate table) a data directory names; 0 when absent.
    std::uint32_t directoryRva(std::size_t index) const;

    std::size_t headerAt_ = 0;    // of the "PE\0\0" signature
    std::size_t optionalAt_ = 0;  // of the optional header
    std::size_t sectionTableAt_ = 0;
    std::uint32_t fileAlignment_ = 0;
    std::uint32_t sectionAlignment_ = 0;
    std::uint32_t sizeOfHeaders_ = 0;
    std::uint32_t directoryCount_ = 0;
    std::vector<PeSection> sections_;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> directories_;
    ResourceTree resources_;
};

// The PE checksum of an image, its own checksum field counted as zero.
std::uint32_t peChecksum(std::span<const std::uint8_t> bytes, std::size_t checksumAt);

inline constexpr std::size_t kDirectoryResource = 2;
inline constexpr std::size_t kDirectorySecurity = 4;
inline constexpr std::size_t kDirectoryBaseRelocation = 5;

}  // namespace jlaunch::pack
