// The common controls, which the dialogs load on demand, loaded on one thread
// while another makes the process's first window (an uncaught exception's
// dialog while the application opens its first frame). The two meet only in
// the first moments of a process, so each try is a fresh probe process.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "launch_helper.h"

namespace jlaunch::test {
namespace {

// Without a guard most tries deadlock under Wine: a few show it for sure.
constexpr int kTries = 10;

TEST(SystemLibraryRace, LoadingWhileAnotherThreadMakesTheFirstWindowNeverHangs) {
    const std::wstring program = testProgramPath();
    const std::wstring probe = program.substr(0, program.find_last_of(L'\\')) + L"\\system_library_race_probe.exe";
    for (int attempt = 1; attempt <= kTries; ++attempt) {
        ChildProcess child = ChildProcess::start(probe, quoted(probe));
        ASSERT_TRUE(child.started()) << "error " << child.startError();
        const auto code = child.waitForExit();
        ASSERT_TRUE(code.has_value()) << "try " << attempt << " of " << kTries << " hung";
        EXPECT_EQ(*code, 0) << "try " << attempt << ": the library or its function was not found";
    }
}

}  // namespace
}  // namespace jlaunch::test
