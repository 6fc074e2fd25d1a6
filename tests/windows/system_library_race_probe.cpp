// Loads the common controls on demand on one thread while the main thread
// makes the process's first window, both released at the same moment: the
// library registers its window classes as it loads. A fresh process each
// time, since only the first window of a process can race.
// Exits 0 when both are done and the function was found, 1 when not; a
// deadlock between the two never exits.
#include <windows.h>

#include <thread>

#include "common/handles_win.h"
#include "common/system_library_win.h"

int wmain() {
    using namespace jlaunch;
    const UniqueHandle start(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!start) {
        return 1;
    }
    bool found = false;
    std::thread loader([&] {
        WaitForSingleObject(start.get(), INFINITE);
        found = systemLibraryFunction(SystemLibrary::CommonControls, "InitCommonControlsEx") != nullptr;
    });
    SetEvent(start.get());
    const UniqueWindow window(
        CreateWindowExW(0, L"Static", L"first", 0, 0, 0, 10, 10, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr));
    loader.join();
    return found && window ? 0 : 1;
}
