#pragma once
// An .ico file split into the images and the icon group directory that a
// PE carries as RT_ICON and RT_GROUP_ICON resources.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace jlaunch::pack {

struct IconResources {
    std::vector<std::vector<std::uint8_t>> images;  // RT_ICON data, in file order
    // RT_GROUP_ICON data referring to the images as ids firstId, firstId + 1, ...
    std::vector<std::uint8_t> group;
};

// Nothing (and `error` set) unless `file` is an icon file whose every image
// is a PNG or a device-independent bitmap lying inside the file.
std::optional<IconResources> readIconFile(std::span<const std::uint8_t> file, std::uint16_t firstId,
                                          std::string& error);

}  // namespace jlaunch::pack
