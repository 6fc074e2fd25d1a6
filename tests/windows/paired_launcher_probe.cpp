// Stands in for the paired launcher in the tests: records the command line it
// was started with and ends with the code it is told, so that a test can see
// how the launcher handed a launch over.
//   JLAUNCH_PROBE_OUTPUT     file that receives GetCommandLineW() as UTF-16LE
//   JLAUNCH_PROBE_EXIT_CODE  the exit code, decimal and signed; 0 when unset
//   JLAUNCH_PROBE_RELEASE    name of an event to wait for (10 s at most) before
//                            exiting, so that a test can keep the probe running
#include <windows.h>

#include <cwchar>
#include <string>

#include "common/handles_win.h"

namespace jlaunch::test {
namespace {

constexpr DWORD kReleaseTimeoutMs = 10000;

std::wstring variable(const wchar_t* name) {
    std::wstring value(32768, L'\0');
    value.resize(GetEnvironmentVariableW(name, value.data(), static_cast<DWORD>(value.size())));
    return value;
}

void recordCommandLine(const std::wstring& output) {
    // Written under another name first, so a reader never sees half of it.
    const std::wstring partial = output + L".partial";
    const std::wstring commandLine = GetCommandLineW();
    {
        const UniqueFileHandle file(
            CreateFileW(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) {
            return;
        }
        DWORD written = 0;
        WriteFile(file.get(), commandLine.data(), static_cast<DWORD>(commandLine.size() * sizeof(wchar_t)), &written,
                  nullptr);
    }
    MoveFileExW(partial.c_str(), output.c_str(), MOVEFILE_REPLACE_EXISTING);
}

int runProbe() {
    if (const std::wstring output = variable(L"JLAUNCH_PROBE_OUTPUT"); !output.empty()) {
        recordCommandLine(output);
    }
    if (const std::wstring release = variable(L"JLAUNCH_PROBE_RELEASE"); !release.empty()) {
        const UniqueHandle event(OpenEventW(SYNCHRONIZE, FALSE, release.c_str()));
        if (event) {
            WaitForSingleObject(event.get(), kReleaseTimeoutMs);
        }
    }
    return static_cast<int>(std::wcstol(variable(L"JLAUNCH_PROBE_EXIT_CODE").c_str(), nullptr, 10));
}

}  // namespace
}  // namespace jlaunch::test

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    return jlaunch::test::runProbe();
}
