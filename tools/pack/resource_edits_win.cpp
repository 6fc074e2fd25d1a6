#include <windows.h>

#include "common/unique_resource.h"
#include "file_io.h"
#include "resource_edits.h"

namespace jlaunch::pack {

namespace {

// Dropped without commit: the pending changes are discarded.
void discardUpdate(HANDLE update) noexcept {
    EndUpdateResourceW(update, TRUE);
}
using UniqueUpdate = UniqueResource<ClosedBy<HANDLE, &discardUpdate>>;

// A key as the resource functions take it; the text must outlive the call.
LPCWSTR keyPointer(const ResourceKey& key, std::wstring& text) {
    if (!key.named()) {
        return MAKEINTRESOURCEW(key.id);
    }
    text.assign(key.name.begin(), key.name.end());
    return text.c_str();
}

}  // namespace

bool writeEditedImage(std::span<const std::uint8_t> launcher, const PeImage& /*image*/,
                      const std::vector<ResourceEdit>& edits, const std::wstring& output, std::string& error) {
    // The system's resource update functions work on a file: a copy of the
    // launcher that replaces the output only when complete.
    const auto pending = PendingOutput::create(output, launcher, true, error);
    if (!pending) {
        return false;
    }
    UniqueUpdate update(BeginUpdateResourceW(pending->path().c_str(), FALSE));
    if (!update) {
        error =
            "the system cannot update the resources of the copy (system error " + std::to_string(GetLastError()) + ")";
        return false;
    }
    for (const ResourceEdit& edit : edits) {
        std::wstring typeText;
        std::wstring nameText;
        const LPCWSTR type = keyPointer(edit.type, typeText);
        const LPCWSTR name = keyPointer(edit.name, nameText);
        void* data = edit.data ? const_cast<std::uint8_t*>(edit.data->data()) : nullptr;
        const auto size = static_cast<DWORD>(edit.data ? edit.data->size() : 0);
        if (UpdateResourceW(update.get(), type, name, edit.language, data, size) == FALSE) {
            error = "the system refused a resource change (system error " + std::to_string(GetLastError()) + ")";
            return false;
        }
    }
    if (EndUpdateResourceW(update.release(), FALSE) == FALSE) {
        error = "the system could not write the resources (system error " + std::to_string(GetLastError()) + ")";
        return false;
    }
    return pending->commit(error);
}

}  // namespace jlaunch::pack
