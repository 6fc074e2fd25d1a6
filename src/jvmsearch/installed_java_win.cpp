#include <windows.h>

#include "common/handles_win.h"
#include "jvmsearch/installed_java.h"

namespace jlaunch {

namespace {

// Read-only: the search never changes the registry.
UniqueRegistryKey openKey(const std::wstring& path, REGSAM access) {
    UniqueRegistryKey key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, access, key.out()) != ERROR_SUCCESS) {
        key.reset();
    }
    return key;
}

std::vector<std::wstring> subkeyNames(HKEY key) {
    std::vector<std::wstring> names;
    for (DWORD index = 0;; ++index) {
        wchar_t name[520];
        DWORD length = 520;
        if (RegEnumKeyExW(key, index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
            break;
        }
        names.emplace_back(name, length);
    }
    return names;
}

// The "JavaHome" value of a version entry; nothing when it cannot be read or is empty.
std::optional<std::wstring> javaHome(const std::wstring& entryPath, REGSAM access) {
    const UniqueRegistryKey entry = openKey(entryPath, access);
    DWORD size = 0;
    if (!entry || RegQueryValueExW(entry.get(), L"JavaHome", nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS ||
        size == 0) {
        return std::nullopt;
    }
    // Room for a terminator the stored data may lack.
    std::wstring data(size / sizeof(wchar_t) + 1, L'\0');
    DWORD read = static_cast<DWORD>(data.size() * sizeof(wchar_t));
    if (RegQueryValueExW(entry.get(), L"JavaHome", nullptr, nullptr, reinterpret_cast<BYTE*>(data.data()), &read) !=
        ERROR_SUCCESS) {
        return std::nullopt;
    }
    data.resize(wcsnlen(data.c_str(), read / sizeof(wchar_t)));
    return data;
}

}  // namespace

std::vector<InstalledRuntime> listInstalledRuntimes(RuntimeBitness bitness, const std::vector<const VendorKey*>& keys,
                                                    const VersionFilter& wanted) {
    const REGSAM access = KEY_READ | (bitness == RuntimeBitness::X86 ? KEY_WOW64_32KEY : 0);
    std::vector<InstalledRuntime> installed;
    for (const VendorKey* key : keys) {
        const UniqueRegistryKey opened = openKey(key->path, access);
        if (!opened) {
            continue;
        }
        for (std::wstring& name : subkeyNames(opened.get())) {
            InstalledRuntime entry{key, std::move(name), std::nullopt};
            if (wanted(entry.versionName)) {
                entry.home = javaHome(key->path + entry.versionName, access);
            }
            installed.push_back(std::move(entry));
        }
    }
    return installed;
}

}  // namespace jlaunch
