#include <windows.h>

#include <vector>

#include "common/handles_win.h"
#include "common/trace.h"
#include "launcher/run_modes.h"

namespace jlaunch {

std::int32_t startPairedLauncherProcess(const std::wstring& pairProduct, bool waitForExitCode) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    // CreateProcessW may write into the command line, so it gets a copy.
    const wchar_t* own = GetCommandLineW();
    std::vector<wchar_t> commandLine(own, own + wcslen(own) + 1);
    // A paired launcher that cannot be started is not reported (the exit code is 0), only traced.
    if (!CreateProcessW(pairProduct.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
        trace("paired launcher ", pairProduct, " not started: error ", static_cast<std::uint32_t>(GetLastError()));
    }
    const UniqueHandle processHandle(process.hProcess);
    const UniqueHandle threadHandle(process.hThread);
    if (!waitForExitCode || !processHandle) {
        return 0;
    }
    WaitForSingleObject(processHandle.get(), INFINITE);
    DWORD exitCode = 0;
    if (!GetExitCodeProcess(processHandle.get(), &exitCode)) {
        return 0;
    }
    return static_cast<std::int32_t>(exitCode);
}

}  // namespace jlaunch
