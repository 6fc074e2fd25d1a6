#pragma once
// A worker thread with a chosen stack size, waited for without time-out.
#include <cstdint>
#include <functional>
#include <optional>

namespace jlaunch {

// Runs `work` on a new thread whose stack is `stackSize` bytes (0: the
// process default) and waits for it; nothing when no thread could be made.
std::optional<int> runOnNewThread(const std::function<int()>& work, std::uint64_t stackSize);

// Blocks the calling thread for good.
[[noreturn]] void sleepForever();

}  // namespace jlaunch
