#include "common/system_library_win.h"

#include <objbase.h>

#include <atomic>

namespace jlaunch {

namespace {

// Plain globals: a function's static would bring the thread-safe guard into
// the exe. Two threads loading at once both get the same module.
std::atomic<HMODULE> loaded[3] = {};

// `name` is a short DLL name of this file: the path fits the buffer.
HMODULE loadFromSystemFolder(const wchar_t* name) {
    wchar_t path[MAX_PATH + 16];
    UINT length = GetSystemDirectoryW(path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return nullptr;
    }
    path[length++] = L'\\';
    do {
        path[length++] = *name;
    } while (*name++ != L'\0');
    return LoadLibraryW(path);
}

HMODULE load(SystemLibrary library) {
    // Each of these registers window classes while it loads, under the loader
    // lock. Under Wine the process's first use of the window system sets up
    // the system classes once and needs the loader lock for that: loading here
    // while another thread makes the process's first window deadlocks both
    // threads. Asking for the desktop window first, before taking the lock,
    // completes that set-up (or waits for the other thread to complete it).
    GetDesktopWindow();
    switch (library) {
        case SystemLibrary::CommonControls:
            // By name: the manifest's Common Controls 6 dependency redirects the
            // name to the side-by-side assembly, which a path would bypass; it
            // is resolved before any folder a copy could be planted in.
            return LoadLibraryW(L"comctl32.dll");
        case SystemLibrary::Shell:
            return loadFromSystemFolder(L"shell32.dll");
        case SystemLibrary::Com:
            return loadFromSystemFolder(L"ole32.dll");
    }
    return nullptr;
}

}  // namespace

FARPROC systemLibraryFunction(SystemLibrary library, const char* name) {
    std::atomic<HMODULE>& slot = loaded[static_cast<int>(library)];
    HMODULE module = slot.load();
    if (module == nullptr) {
        module = load(library);
        if (module == nullptr) {
            return nullptr;
        }
        slot.store(module);
    }
    return GetProcAddress(module, name);
}

void freeTaskMemory(void* memory) noexcept {
    if (memory == nullptr) {
        return;
    }
    if (const auto free = systemFunction<decltype(&CoTaskMemFree)>(SystemLibrary::Com, "CoTaskMemFree")) {
        free(memory);
    }
}

}  // namespace jlaunch
