#pragma once
// Starting the application again when it ends with its "Restart Code", as
// updaters need: in a new run, since a VM cannot be created twice in one
// process, and at most kRestartLimit times in a row.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace jlaunch {

inline constexpr int kRestartLimit = 10;
// The restarts in a row so far, handed to the next run.
inline constexpr const wchar_t* kRestartCountVariable = L"JLAUNCH_RESTARTS";

struct RestartPlan {
    std::optional<std::int32_t> restartCode;  // nothing: never
    int restartsSoFar = 0;                    // in a row, before this run
    std::wstring executable;
    std::vector<std::wstring> arguments;  // as this run got them
};

// The restarts before this run, taken out of the environment so that the
// application and what it starts never see them; 0 when none.
int takeRestartCount();

// True when a run that ends with `exitCode` is to be started again.
bool restartWanted(const RestartPlan& plan, std::int32_t exitCode);

// Starts the application again when `exitCode` asks for it (and says so in
// the trace). On Linux this process becomes the new run and this returns
// only when that failed; on Windows the new run starts beside this one,
// which then ends with `exitCode`.
void restartIfWanted(const RestartPlan& plan, std::int32_t exitCode);

// Platform: the new run with the same executable and arguments; the
// system's error number when it could not be started, 0 when it was.
std::uint32_t startAgain(const RestartPlan& plan);

// Platform: a restarted run waits until the run before it has ended, as
// that one holds the single-instance objects until then (Windows); Linux
// keeps the process, so there is nothing to wait for.
void awaitPreviousRun();

}  // namespace jlaunch
