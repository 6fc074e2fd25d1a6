#pragma once
// The launchers hosting the real Windows Java runtime that
// scripts/fetch-windows-runtime keeps in the cache, with the fixtures of the
// Linux real-VM suite: a copy of a launcher, its settings, and its runs.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "launch_helper.h"

namespace jlaunch::test {

// A Java start under Wine takes about a second, many at once far longer.
inline constexpr std::chrono::milliseconds kJavaTimeout{90000};

// A path the build gave with "/", as Windows writes it.
std::wstring windowsPath(std::string path);
// The runtime's Java home, whether or not it is there.
const std::wstring& runtimeHome();

// One argument of a command line as the launcher splits it: only spaces
// separate, a pair of double quotes holds one (empty or with spaces), and
// backslashes are ordinary; so no argument holds both a space and a quote.
std::wstring commandLineArgument(const std::wstring& argument);

struct RunResult {
    std::optional<std::int32_t> exitCode;
    std::string out;  // line ends as "\n"
    std::string err;
};

// A copy of one of the launchers as app.exe in a folder of its own, with
// settings naming the real runtime and the fixtures. Skips the test when
// the runtime is not there.
class RealRuntime : public testing::Test {
protected:
    void SetUp() override;

    // `launcher` is "jlaunch.exe" or "jlaunchc.exe", both beside the launcher under test.
    void install(const wchar_t* launcher) const;
    std::wstring app() const { return folder_ / L"app.exe"; }

    // UTF-16 settings; `application` holds lines of [Application], `more`
    // further sections.
    void writeSettings(const std::string& mainClass, const std::string& vmParameters, const std::string& application,
                       const std::string& more = {}) const;

    std::wstring commandLine(const std::vector<std::string>& arguments) const;

    // Runs the copy with its standard streams in files, and reads them.
    RunResult run(const std::vector<std::string>& arguments, const EnvironmentChanges& environment = {}) const;

    TemporaryFolder folder_;  // the launcher copy and what the application writes
    TemporaryFolder files_;   // what the test keeps apart from it
};

}  // namespace jlaunch::test
