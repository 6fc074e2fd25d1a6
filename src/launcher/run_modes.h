#pragma once
// The paired launcher that runs 32-bit Java VMs.
#include <cstdint>
#include <string>

namespace jlaunch {

// Starts `pairProduct` with this process's own arguments. With
// `waitForExitCode`, waits for it and returns its exit code; otherwise, or
// when it could not be started, returns 0.
std::int32_t startPairedLauncherProcess(const std::wstring& pairProduct, bool waitForExitCode);

}  // namespace jlaunch
