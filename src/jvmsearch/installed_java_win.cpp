#include <windows.h>

#include "common/handles_win.h"
#include "common/trace.h"
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

// The home value of a version entry; nothing when it cannot be read or is empty.
std::optional<std::wstring> javaHome(const std::wstring& entryPath, const wchar_t* valueName, REGSAM access) {
    const UniqueRegistryKey entry = openKey(entryPath, access);
    DWORD size = 0;
    if (!entry || RegQueryValueExW(entry.get(), valueName, nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS ||
        size == 0) {
        return std::nullopt;
    }
    // Room for a terminator the stored data may lack.
    std::wstring data(size / sizeof(wchar_t) + 1, L'\0');
    DWORD read = static_cast<DWORD>(data.size() * sizeof(wchar_t));
    if (RegQueryValueExW(entry.get(), valueName, nullptr, nullptr, reinterpret_cast<BYTE*>(data.data()), &read) !=
        ERROR_SUCCESS) {
        return std::nullopt;
    }
    data.resize(wcsnlen(data.c_str(), read / sizeof(wchar_t)));
    return data;
}

}  // namespace

std::vector<InstalledRuntime> listInstalledRuntimes(RuntimeBitness bitness, const std::vector<const VendorKey*>& keys,
                                                    VersionFilter wanted) {
    const bool x86 = bitness == RuntimeBitness::X86;
    const REGSAM access = KEY_READ | (x86 ? KEY_WOW64_32KEY : 0);
    // Where an entry was found matters to the trace alone.
    const auto source = [x86](const std::wstring& path) {
        return traceEnabled() ? L"HKLM\\" + path + (x86 ? L" (32-bit view)" : L"") : std::wstring();
    };
    std::vector<InstalledRuntime> installed;
    for (const VendorKey* key : keys) {
        const UniqueRegistryKey opened = openKey(key->path, access);
        if (!opened) {
            trace("  ", source(key->path), ": not there");
            continue;
        }
        for (std::wstring& name : subkeyNames(opened.get())) {
            if (!name.starts_with(key->namePrefix)) {
                continue;
            }
            const std::wstring entryPath = key->path + name;
            const bool want = wanted(name);
            if (key->homeSubkeys.empty() || !want) {
                installed.push_back(
                    {key, name, want ? javaHome(entryPath, key->homeValue, access) : std::nullopt, source(entryPath)});
                continue;
            }
            // One entry per VM installed under the version; one without a home when there is none.
            const std::size_t before = installed.size();
            for (const wchar_t* subkey : key->homeSubkeys) {
                const std::wstring path = entryPath + L"\\" + subkey;
                if (auto home = javaHome(path, key->homeValue, access)) {
                    installed.push_back({key, name, std::move(home), source(path)});
                }
            }
            if (installed.size() == before) {
                installed.push_back({key, name, std::nullopt, source(entryPath)});
            }
        }
    }
    return installed;
}

}  // namespace jlaunch
