#pragma once
// Changes to the resources of a PE image, applied by the system's resource
// update functions on Windows and by the packer's own section writer on Linux.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "pe_image.h"
#include "resource_tree.h"

namespace jlaunch::pack {

struct ResourceEdit {
    ResourceKey type;
    ResourceKey name;
    std::uint16_t language = 0;
    std::optional<std::vector<std::uint8_t>> data;  // nothing removes the resource
};

// `tree` with the edits applied in order; emptied names and types vanish.
ResourceTree applyEdits(ResourceTree tree, const std::vector<ResourceEdit>& edits);

// Writes `launcher` with the edits applied to `output`, through a temporary
// file that replaces the output only when complete.
bool writeEditedImage(std::span<const std::uint8_t> launcher, const PeImage& image,
                      const std::vector<ResourceEdit>& edits, const std::wstring& output, std::string& error);

}  // namespace jlaunch::pack
