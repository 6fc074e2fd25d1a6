#include <windows.h>

#include <limits>
#include <memory>

#include "common/handles_win.h"
#include "common/thread.h"

namespace jlaunch {

namespace {

DWORD WINAPI threadRoutine(void* parameter) {
    const auto* work = static_cast<const FunctionRef<int()>*>(parameter);
    return static_cast<DWORD>((*work)());
}

DWORD WINAPI detachedRoutine(void* parameter) {
    const std::unique_ptr<std::function<void()>> work(static_cast<std::function<void()>*>(parameter));
    (*work)();
    return 0;
}

}  // namespace

bool startDetachedThread(std::function<void()> work) {
    auto owned = std::make_unique<std::function<void()>>(std::move(work));
    const UniqueHandle thread(CreateThread(nullptr, 0, detachedRoutine, owned.get(), 0, nullptr));
    if (!thread) {
        return false;
    }
    // The thread owns the work from here on.
    static_cast<void>(owned.release());
    return true;
}

std::optional<int> runOnNewThread(FunctionRef<int()> work, std::uint64_t stackSize) {
    if (stackSize > std::numeric_limits<SIZE_T>::max()) {
        stackSize = 0;
    }
    // The size is reserved, as the Java runtime's own launcher does; without
    // the flag Windows would commit all of it before Java runs.
    const DWORD flags = stackSize != 0 ? STACK_SIZE_PARAM_IS_A_RESERVATION : 0;
    const UniqueHandle thread(
        CreateThread(nullptr, static_cast<SIZE_T>(stackSize), threadRoutine, &work, flags, nullptr));
    if (!thread) {
        return std::nullopt;
    }
    WaitForSingleObject(thread.get(), INFINITE);
    DWORD exitCode = 1;
    GetExitCodeThread(thread.get(), &exitCode);
    return static_cast<int>(exitCode);
}

void sleepForever() {
    for (;;) {
        Sleep(INFINITE);
    }
}

}  // namespace jlaunch
