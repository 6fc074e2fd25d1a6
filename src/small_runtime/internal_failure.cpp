// The shipped Windows launchers' internal failures, raised and caught without
// unwinding. Their code is built without exceptions, and runtime.cpp turns
// every failure of GCC's runtime (no memory, a bad index or length) into a
// call of raiseLaunchError: a failure jumps straight back to the innermost
// catchInternalFailure of its thread. The frames in between are not cleaned
// up: the launch ends right after, and the system takes back what they held.
// A thread without a catch point ends the launch with the same message.
// With nothing thrown anywhere, the exe carries neither the unwinder nor the
// exception types (about 13 KB). Tests and tools link common/internal_failure.cpp,
// which throws and catches. The jump leaves a hardware shadow stack as it
// is: the launchers must not be marked CET-compatible (GNU ld does not).
#include <windows.h>

#include <cstdlib>

#include "common/failure.h"
#include "common/launch_error.h"
#include "common/thread.h"

namespace jlaunch {

namespace {

struct CatchPoint {
    // __builtin_setjmp's buffer: frame, resume address, stack pointer and two spare words.
    void* jump[5] = {};
    std::int32_t status = LaunchError::kFail;
    CatchPoint* outer = nullptr;
};

// Each thread's innermost point, in a slot of Windows' own: a thread_local
// would be emulated with calls that link-time optimisation has dropped by then.
const DWORD innermostSlot = TlsAlloc();

CatchPoint* innermost() {
    return static_cast<CatchPoint*>(TlsGetValue(innermostSlot));
}

void setInnermost(CatchPoint* point) {
    TlsSetValue(innermostSlot, point);
}

// The failure as one line on standard error, where a console shows it;
// nothing here allocates.
void writeLine(std::int32_t status) {
    char line[] = "jlaunch: internal failure 0x00000000 outside a launch step\n";
    constexpr char kDigits[] = "0123456789ABCDEF";
    const auto bits = static_cast<std::uint32_t>(status);
    for (int digit = 0; digit < 8; ++digit) {
        line[28 + digit] = kDigits[(bits >> (28 - 4 * digit)) & 0xF];
    }
    HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
    if (error != nullptr && error != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        WriteFile(error, line, sizeof line - 1, &written, nullptr);
    }
}

// A thread that runs no launch step (a window's, a listener's) ends the
// launch as the main thread does after an internal failure: the message,
// then -1. A second failure while the message is made (no memory for it)
// ends the process with the plain line instead; a failure on another thread
// meanwhile waits for the first to end the process.
[[noreturn]] void endUncaught(std::int32_t status) {
    static LONG ending = 0;
    if (InterlockedExchange(&ending, 1) != 0) {
        sleepForever();
    }
    CatchPoint point;
    setInnermost(&point);
    if (__builtin_setjmp(point.jump) == 0) {
        showFailure(nullptr, internalFailure(status));
        ExitProcess(static_cast<UINT>(-1));
    }
    writeLine(status);
    std::abort();
}

}  // namespace

void raiseLaunchError(std::int32_t status) {
    CatchPoint* point = innermost();
    if (point == nullptr) {
        endUncaught(status);
    }
    point->status = status;
    __builtin_longjmp(point->jump, 1);
}

std::optional<Failure> catchInternalFailure(FunctionRef<void()> work) {
    CatchPoint point;
    point.outer = innermost();
    // The point lives in memory (its address is kept), so what the jump
    // wrote there is what this frame reads after it.
    if (__builtin_setjmp(point.jump) != 0) {
        setInnermost(point.outer);
        return internalFailure(point.status);
    }
    setInnermost(&point);
    work();
    setInnermost(point.outer);
    return std::nullopt;
}

}  // namespace jlaunch
