#include "settings/embedded/bcrypt_api_win.h"

#include <string>

namespace jlaunch::bcrypt {

namespace {

template <typename Function>
bool bind(HMODULE module, const char* name, Function& function) {
    function = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    return function != nullptr;
}

// The system folder only. LOAD_LIBRARY_SEARCH_SYSTEM32 needs KB2533623 on
// Windows 7; without it, the full path, its own imports searched beside it.
HMODULE loadFromSystemFolder() {
    if (HMODULE module = LoadLibraryExW(L"bcrypt.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32)) {
        return module;
    }
    wchar_t folder[MAX_PATH];
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return nullptr;
    }
    return LoadLibraryExW((std::wstring(folder, length) + L"\\bcrypt.dll").c_str(), nullptr,
                          LOAD_WITH_ALTERED_SEARCH_PATH);
}

Api load() {
    Api api;
    HMODULE module = loadFromSystemFolder();
    if (module == nullptr || !bind(module, "BCryptOpenAlgorithmProvider", api.openAlgorithmProvider) ||
        !bind(module, "BCryptCloseAlgorithmProvider", api.closeAlgorithmProvider) ||
        !bind(module, "BCryptSetProperty", api.setProperty) ||
        !bind(module, "BCryptGenerateSymmetricKey", api.generateSymmetricKey) ||
        !bind(module, "BCryptDestroyKey", api.destroyKey) || !bind(module, "BCryptDecrypt", api.decrypt) ||
        !bind(module, "BCryptEncrypt", api.encrypt) || !bind(module, "BCryptDeriveKeyPBKDF2", api.deriveKeyPbkdf2) ||
        !bind(module, "BCryptGenRandom", api.genRandom)) {
        return Api{};
    }
    return api;
}

// Settings are opened on the main thread only, before any other thread
// runs (the packer has one thread): no guard needed.
Api loaded;
bool tried = false;

}  // namespace

const Api* api() {
    if (!tried) {
        tried = true;
        loaded = load();
    }
    return loaded.openAlgorithmProvider != nullptr ? &loaded : nullptr;
}

}  // namespace jlaunch::bcrypt
