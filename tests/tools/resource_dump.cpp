// Lists every resource of an executable as Windows reads it (type, name,
// language, size and a hash of the bytes), one per line in a stable order,
// so that two files' resources can be compared as text. With --settings
// CODE it prints the embedded settings deciphered with that code instead;
// with --checksum it checks the PE checksum in the header against the one
// the system computes.
#include <windows.h>
#include <imagehlp.h>

#include <cstdint>
#include <cstdio>
#include <set>
#include <string>

#include "settings/embedded/embedded_settings.h"
#include "settings/profile_text.h"
#include "settings/embedded/sealed_settings.h"

namespace {

std::wstring keyText(LPCWSTR key) {
    return IS_INTRESOURCE(key) ? L"#" + std::to_wstring(reinterpret_cast<std::uintptr_t>(key)) : std::wstring(key);
}

struct Listing {
    HMODULE module = nullptr;
    std::set<std::wstring> lines;
};

BOOL CALLBACK onLanguage(HMODULE module, LPCWSTR type, LPCWSTR name, WORD language, LONG_PTR context) {
    auto* listing = reinterpret_cast<Listing*>(context);
    HRSRC info = FindResourceExW(module, type, name, language);
    HGLOBAL loaded = info != nullptr ? LoadResource(module, info) : nullptr;
    const auto* data = static_cast<const unsigned char*>(loaded != nullptr ? LockResource(loaded) : nullptr);
    const DWORD size = info != nullptr ? SizeofResource(module, info) : 0;
    std::uint64_t hash = 1469598103934665603ull;  // FNV-1a
    for (DWORD i = 0; data != nullptr && i < size; ++i) {
        hash = (hash ^ data[i]) * 1099511628211ull;
    }
    wchar_t line[512];
    swprintf(line, 512, L"%ls %ls %u %lu %016llx%ls", keyText(type).c_str(), keyText(name).c_str(), language, size,
             static_cast<unsigned long long>(hash), data == nullptr ? L" unreadable" : L"");
    listing->lines.insert(line);
    return TRUE;
}

BOOL CALLBACK onName(HMODULE module, LPCWSTR type, LPWSTR name, LONG_PTR context) {
    EnumResourceLanguagesW(module, type, name, onLanguage, context);
    return TRUE;
}

BOOL CALLBACK onType(HMODULE module, LPWSTR type, LONG_PTR context) {
    EnumResourceNamesW(module, type, onName, context);
    return TRUE;
}

}  // namespace

// The embedded settings of `module` deciphered with `code`, as UTF-8.
int printSettings(HMODULE module, const wchar_t* code) {
    HRSRC info = FindResourceW(module, jlaunch::kEmbeddedSettingsResource, RT_RCDATA);
    HGLOBAL loaded = info != nullptr ? LoadResource(module, info) : nullptr;
    const auto* data = static_cast<const std::uint8_t*>(loaded != nullptr ? LockResource(loaded) : nullptr);
    if (data == nullptr) {
        std::fputs("no embedded settings\n", stderr);
        return 1;
    }
    const auto opened = jlaunch::openSealedSettings({data, SizeofResource(module, info)}, code);
    if (opened.status != jlaunch::SealedStatus::Opened) {
        std::fputs("the embedded settings do not open with this code\n", stderr);
        return 1;
    }
    const std::string text = jlaunch::encodeProfileText(opened.text, "\xEF\xBB\xBF");
    std::fwrite(text.data(), 1, text.size(), stdout);
    return 0;
}

int wmain(int argc, wchar_t** argv) {
    if (argc == 3 && std::wstring(argv[2]) == L"--checksum") {
        DWORD header = 0;
        DWORD computed = 0;
        if (MapFileAndCheckSumW(argv[1], &header, &computed) != CHECKSUM_SUCCESS) {
            std::fputs("cannot compute the checksum\n", stderr);
            return 1;
        }
        std::printf("checksum in header %08lx, computed %08lx\n", header, computed);
        return header == computed ? 0 : 1;
    }
    const bool settings = argc == 4 && std::wstring(argv[2]) == L"--settings";
    if (argc != 2 && !settings) {
        std::fputs("usage: resource_dump FILE [--settings CODE]\n", stderr);
        return 2;
    }
    Listing listing;
    listing.module = LoadLibraryExW(argv[1], nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (listing.module == nullptr) {
        std::fprintf(stderr, "cannot load %ls: %lu\n", argv[1], GetLastError());
        return 1;
    }
    if (settings) {
        const int code = printSettings(listing.module, argv[3]);
        FreeLibrary(listing.module);
        return code;
    }
    EnumResourceTypesW(listing.module, onType, reinterpret_cast<LONG_PTR>(&listing));
    for (const std::wstring& line : listing.lines) {
        std::printf("%ls\n", line.c_str());
    }
    FreeLibrary(listing.module);
    return listing.lines.empty() ? 1 : 0;
}
