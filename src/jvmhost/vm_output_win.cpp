#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstring>

#include "common/standard_error.h"
#include "common/text.h"
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

// True when the loaded VM library takes its C library from the universal C
// runtime (today's runtimes); older ones (and test doubles) bring another,
// whose streams only that library may touch.
bool vmUsesUniversalRuntime() {
    const auto* image = reinterpret_cast<const unsigned char*>(GetModuleHandleW(L"jvm.dll"));
    if (image == nullptr) {
        return false;
    }
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(image);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(image + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (imports.VirtualAddress == 0) {
        return false;
    }
    for (const auto* entry = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(image + imports.VirtualAddress);
         entry->Name != 0; ++entry) {
        const char* name = reinterpret_cast<const char*>(image + entry->Name);
        if (_strnicmp(name, "api-ms-win-crt-", 15) == 0 || _stricmp(name, "ucrtbase.dll") == 0) {
            return true;
        }
    }
    return false;
}

std::atomic<int> universalRuntimeKnown{0};

}  // namespace

void writeVmText(FILE* stream, const std::string& text) {
    // The VM's streams belong to its own C runtime: with the universal one,
    // its log files ("-Xlog:...:file=") are written there.
    // Looked at once: 0 not yet, 1 universal, 2 not (an atomic, as the VM's
    // threads print at the same time; a thread-safe static costs more code).
    int known = universalRuntimeKnown.load(std::memory_order_relaxed);
    if (known == 0) {
        known = vmUsesUniversalRuntime() ? 1 : 2;
        universalRuntimeKnown.store(known, std::memory_order_relaxed);
    }
    const bool universal = known == 1;
    const HMODULE runtime = universal ? GetModuleHandleW(L"ucrtbase.dll") : nullptr;
    const auto streamOf = runtimeFunction<StreamOfFunction>(runtime, "__acrt_iob_func");
    const auto putText = runtimeFunction<PutTextFunction>(runtime, "fputs");
    if (stream != nullptr && streamOf != nullptr && putText != nullptr && stream != streamOf(1) &&
        stream != streamOf(2)) {
        putText(text.c_str(), stream);
        return;
    }
    // Its standard streams go to this process's error handle (which a GUI
    // program started from a console has none of), in the encoding the
    // launcher's messages and trace use there.
    writeStandardError(toWide(text));
}

}  // namespace jlaunch
