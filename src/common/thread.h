#pragma once
// Worker threads: one with a chosen stack size, waited for without time-out,
// and detached ones.
#include <cstdint>
#include <functional>
#include <optional>

#include "common/function_ref.h"

namespace jlaunch {

// Runs `work` on a new thread whose stack is `stackSize` bytes (0: the
// process default) and waits for it; nothing when no thread could be made.
std::optional<int> runOnNewThread(FunctionRef<int()> work, std::uint64_t stackSize);

// Runs `work` on a new thread that nobody waits for; false when no thread
// could be made.
bool startDetachedThread(std::function<void()> work);

// Blocks the calling thread for good.
[[noreturn]] void sleepForever();

}  // namespace jlaunch
