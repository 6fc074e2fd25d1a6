#include <windows.h>

#include <cstdint>
#include <vector>

#include "common/environment.h"
#include "common/handles_win.h"
#include "common/system.h"
#include "common/text.h"
#include "launcher/restart.h"

namespace jlaunch {

namespace {

// The handle of the run before, inherited by the new one.
constexpr const wchar_t* kPreviousRunVariable = L"JLAUNCH_RESTARTED_FROM";
// A run that has not ended by then hangs in its exit: the new one goes on.
constexpr DWORD kPreviousRunLimit = 60000;

}  // namespace

std::uint32_t startAgain(const RestartPlan& plan) {
    // The new run waits for this one's end through a handle to this process
    // that it alone inherits.
    UniqueHandle self;
    if (!DuplicateHandle(GetCurrentProcess(), GetCurrentProcess(), GetCurrentProcess(), self.out(), SYNCHRONIZE, TRUE,
                         0)) {
        return GetLastError();
    }
    SIZE_T size = 0;
    InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
    std::vector<BYTE> attributeBytes(size);
    auto* attributes = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(attributeBytes.data());
    HANDLE inherited = self.get();
    if (!InitializeProcThreadAttributeList(attributes, 1, 0, &size)) {
        return GetLastError();
    }
    const bool listed = UpdateProcThreadAttribute(attributes, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, &inherited,
                                                  sizeof inherited, nullptr, nullptr) != FALSE;
    setEnvironmentVariable(kPreviousRunVariable, decimalText(reinterpret_cast<std::uintptr_t>(inherited)));
    STARTUPINFOEXW startup{};
    startup.StartupInfo.cb = sizeof startup;
    startup.lpAttributeList = listed ? attributes : nullptr;
    PROCESS_INFORMATION process{};
    // This run's own command line, as the user or the system gave it; CreateProcessW may write into it.
    const wchar_t* own = GetCommandLineW();
    std::vector<wchar_t> commandLine(own, own + wcslen(own) + 1);
    const BOOL started =
        CreateProcessW(plan.executable.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                       listed ? EXTENDED_STARTUPINFO_PRESENT : 0, nullptr, nullptr, &startup.StartupInfo, &process);
    const DWORD error = started ? 0 : GetLastError();
    DeleteProcThreadAttributeList(attributes);
    removeEnvironmentVariable(kPreviousRunVariable);
    const UniqueHandle processHandle(process.hProcess);
    const UniqueHandle threadHandle(process.hThread);
    return error;
}

void awaitPreviousRun() {
    const auto value = environmentVariable(kPreviousRunVariable);
    if (!value) {
        return;
    }
    removeEnvironmentVariable(kPreviousRunVariable);
    std::uintptr_t handle = 0;
    for (const wchar_t c : *value) {
        if (c < L'0' || c > L'9') {
            return;
        }
        handle = handle * 10 + static_cast<std::uintptr_t>(c - L'0');
    }
    // Only a handle to a process is taken: the variable may come from elsewhere.
    const auto candidate = reinterpret_cast<HANDLE>(handle);
    if (handle == 0 || GetProcessId(candidate) == 0) {
        return;
    }
    const UniqueHandle previous(candidate);
    WaitForSingleObject(previous.get(), kPreviousRunLimit);
}

}  // namespace jlaunch
