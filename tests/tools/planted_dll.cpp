// A DLL planted beside an exe under a system DLL's name: when any process
// loads it, it leaves "planted-dll-ran" in the folder of that process's exe.
#include <windows.h>

#include <string>

BOOL WINAPI DllMain(HINSTANCE /*instance*/, DWORD reason, LPVOID /*reserved*/) {
    if (reason == DLL_PROCESS_ATTACH) {
        std::wstring path(MAX_PATH, L'\0');
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), MAX_PATH);
        path.resize(length);
        path = path.substr(0, path.find_last_of(L'\\') + 1) + L"planted-dll-ran";
        const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            CloseHandle(file);
        }
    }
    return TRUE;
}
