// A DLL that a Java runtime's jvm.dll imports by name, as the real one
// imports its C runtime: the dependent variant of the double traces which
// copy of it was loaded.
#include <windows.h>

namespace {
HMODULE self = nullptr;
}

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID /*reserved*/) {
    if (reason == DLL_PROCESS_ATTACH) {
        self = instance;
    }
    return TRUE;
}

// The full path this copy was loaded from, or the empty text.
extern "C" __declspec(dllexport) DWORD runtimeDependencyPath(wchar_t* buffer, DWORD size) {
    return GetModuleFileNameW(self, buffer, size);
}
