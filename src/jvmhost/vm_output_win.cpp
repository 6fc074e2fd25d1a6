#include <windows.h>

#include <cstdio>

#include "jvmhost/vm_output.h"

namespace jlaunch {

std::string formatVmText(const char* format, va_list arguments) {
    // The system's own formatter, as the VM's C runtime formats: MinGW's
    // portable one would add its whole printf to the exe. The VM's messages
    // are lines; a longer one is cut.
    char text[2048];
    const int length = _vsnprintf(text, sizeof text - 1, format, arguments);
    text[sizeof text - 1] = '\0';
    return length < 0 ? std::string(text) : std::string(text, static_cast<std::size_t>(length));
}

namespace {

using StreamOfFunction = FILE*(__cdecl*)(unsigned);
using PutTextFunction = int(__cdecl*)(const char*, FILE*);

template <typename Function>
Function runtimeFunction(HMODULE runtime, const char* name) {
    return runtime != nullptr ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(runtime, name)))
                              : nullptr;
}

}  // namespace

void writeVmText(FILE* stream, const std::string& text) {
    // The VM's streams belong to its own C runtime, the universal one of
    // today's runtimes: its log files ("-Xlog:...:file=") are written there.
    const HMODULE runtime = GetModuleHandleW(L"ucrtbase.dll");
    const auto streamOf = runtimeFunction<StreamOfFunction>(runtime, "__acrt_iob_func");
    const auto putText = runtimeFunction<PutTextFunction>(runtime, "fputs");
    if (stream != nullptr && streamOf != nullptr && putText != nullptr && stream != streamOf(1) &&
        stream != streamOf(2)) {
        putText(text.c_str(), stream);
        return;
    }
    // Its standard streams go to this process's error handle, which a GUI
    // program started from a console has none of.
    const HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
    DWORD written = 0;
    if (error != nullptr && error != INVALID_HANDLE_VALUE) {
        WriteFile(error, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    }
}

}  // namespace jlaunch
