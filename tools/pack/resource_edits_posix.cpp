#include "file_io.h"
#include "resource_edits.h"

namespace jlaunch::pack {

bool writeEditedImage(std::span<const std::uint8_t> launcher, const PeImage& image,
                      const std::vector<ResourceEdit>& edits, const std::wstring& output, std::string& error) {
    // No system function edits PE resources here: the resource section is
    // written anew from the edited tree.
    const auto edited = image.withResources(launcher, applyEdits(image.resources(), edits), error);
    if (!edited) {
        return false;
    }
    const auto pending = PendingOutput::create(output, *edited, true, error);
    return pending && pending->commit(error);
}

}  // namespace jlaunch::pack
