#pragma once
// The Java runtime's own splash-screen library, started with the launcher's
// picture: "splashscreen.dll" on Windows, "libsplashscreen.so" on Linux.
#include <cstdint>
#include <string>
#include <vector>

#include "common/function_ref.h"
#include "splash/pending_call.h"

namespace jlaunch {

// The file name of the library in the folder two levels above the VM library.
extern const wchar_t* const kNativeSplashLibraryName;

// The full path of `fileName` in the folder two levels above the VM library
// (a Java home's bin folder on Windows, its lib folder on Linux); empty when
// that file does not exist.
std::wstring findRuntimeFile(const std::wstring& jvmLibraryPath, const std::wstring& fileName);

// The library's entry points; the results of the calls are not used.
struct NativeSplashLibrary {
    bool loaded = false;
    void (*splashInit)() = nullptr;
    int (*splashLoadFile)(const char* fileName) = nullptr;
    void (*splashSetFileJarName)(const char* fileName, const char* jarName) = nullptr;
    void (*splashClose)() = nullptr;  // optional
};

// The entry points of a loaded library, as `symbol` finds them by name.
NativeSplashLibrary resolveNativeSplash(FunctionRef<void*(const char* name)> symbol);

// Loads the library (never unloaded) so that it finds the runtime's other
// libraries, and looks up its entry points.
NativeSplashLibrary openNativeSplashLibrary(const std::wstring& libraryPath, const std::wstring& jvmLibraryPath);

// The ids of the process's threads (Linux); empty where they are not needed.
using ThreadIds = std::vector<std::uint64_t>;
ThreadIds processThreads();

// The threads of `started` that are not in `before`: those a call made.
ThreadIds threadsStartedSince(const ThreadIds& before, const ThreadIds& started);

// Waits until none of `threads` runs any more, for `milliseconds` at most;
// false when one still runs then.
bool waitForThreadsToEnd(const ThreadIds& threads, unsigned milliseconds);

// Starts the library's splash screen with the picture; false when the
// library cannot be loaded or lacks a required entry point, so that the
// caller shows something else. A "SplashClose" found is held in `close`,
// which first calls the one it held before, if that is another. The threads
// the library started for its screen are put in `libraryThreads`.
bool startNativeSplash(const std::wstring& libraryPath, const std::wstring& jvmLibraryPath,
                       const std::wstring& imagePath, PendingCall& close, ThreadIds& libraryThreads);

}  // namespace jlaunch
