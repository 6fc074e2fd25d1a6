#include <windows.h>

#include "settings/embedded_settings.h"

namespace jlaunch {

CarriedBytes readCarriedSettings() {
    CarriedBytes carried;
    // Resources of a module loaded as an image stay mapped for its lifetime.
    HRSRC info = FindResourceW(nullptr, kEmbeddedSettingsResource, RT_RCDATA);
    if (info == nullptr) {
        return carried;
    }
    carried.present = true;
    const DWORD size = SizeofResource(nullptr, info);
    HGLOBAL loaded = LoadResource(nullptr, info);
    const void* data = loaded != nullptr ? LockResource(loaded) : nullptr;
    if (data == nullptr) {
        carried.damaged = true;
        return carried;
    }
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    carried.bytes.assign(bytes, bytes + size);
    return carried;
}

}  // namespace jlaunch
