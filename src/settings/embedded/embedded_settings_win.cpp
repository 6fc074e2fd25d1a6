#include <windows.h>

#include "settings/embedded/embedded_settings.h"
#include "settings/embedded/sealed_settings.h"

namespace jlaunch {

namespace {

// The bytes [data, data + size) lie inside the loaded image of `module`: a
// damaged resource entry may name any size or address, and reading past the
// image would fault.
bool insideImage(HMODULE module, const void* data, DWORD size) {
    const auto* base = reinterpret_cast<const std::uint8_t*>(module);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const std::uintptr_t begin = reinterpret_cast<std::uintptr_t>(base);
    const std::uintptr_t end = begin + nt->OptionalHeader.SizeOfImage;
    const auto at = reinterpret_cast<std::uintptr_t>(data);
    return at >= begin && at <= end && size <= end - at;
}

}  // namespace

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
    if (data == nullptr || size > kSealedMaximumSize || !insideImage(GetModuleHandleW(nullptr), data, size)) {
        carried.damaged = true;
        return carried;
    }
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    carried.bytes.assign(bytes, bytes + size);
    return carried;
}

}  // namespace jlaunch
