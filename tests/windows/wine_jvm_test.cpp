// The Windows launchers hosting a real Java runtime under Wine: the Windows
// Temurin that scripts/fetch-windows-runtime keeps in the cache runs the
// fixtures of the Linux real-VM suite. The console launcher runs the table
// both suites share (tests/jvm/real_vm_cases.h); the GUI launcher shows the
// real stack trace in its exception dialog and serves second instances.
#include <windows.h>

#include <gtest/gtest.h>

#include "../jvm/real_vm_cases.h"
#include "real_runtime.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>

namespace jlaunch::test {
namespace {

using jvm_tests::RealVmCase;
using jvm_tests::replaced;
using jvm_tests::withNewlines;

// A row of the shared table on one of the two launchers.
struct LauncherCase {
    const wchar_t* launcher;
    RealVmCase row;
};

// Every row on the console launcher; on the GUI launcher those that end
// without a window (its failures are message boxes and the exception dialog),
// its standard streams redirected as the console's are.
std::vector<LauncherCase> launcherCases() {
    std::vector<LauncherCase> cases;
    for (const RealVmCase& row : jvm_tests::realVmCases()) {
        cases.push_back({L"jlaunchc.exe", row});
        if (row.exitCode != -1) cases.push_back({L"jlaunch.exe", row});
    }
    return cases;
}

void PrintTo(const LauncherCase& c, std::ostream* out) {
    *out << narrowForReport(c.launcher) << " " << c.row.name;
}

class SharedCases : public RealRuntime, public testing::WithParamInterface<LauncherCase> {
protected:
    // The placeholders of the table filled in; paths with backslashes.
    std::string expanded(std::string text, bool isPath) const {
        const std::time_t now = std::time(nullptr);
        const std::string home = utf8Bytes(runtimeHome());
        if (isPath) std::replace(text.begin(), text.end(), '/', '\\');
        text = replaced(std::move(text), "{folder}", utf8Bytes(folder_.path()));
        text = replaced(std::move(text), "{home}", home);
        text = replaced(std::move(text), "{library}", home + "\\bin\\server\\jvm.dll");
        return replaced(std::move(text), "{year}", std::to_string(std::localtime(&now)->tm_year + 1900));
    }
};

TEST_P(SharedCases, Run) {
    const RealVmCase& row = GetParam().row;
    install(GetParam().launcher);
    writeSettings(row.mainClass, row.vmParameters, expanded(row.application, true));
    std::vector<std::string> arguments;
    for (const std::string& argument : row.arguments) arguments.push_back(expanded(argument, true));
    EnvironmentChanges environment;
    for (const std::string& entry : row.environment) {
        const auto equals = entry.find('=');
        environment.emplace_back(widen(entry.substr(0, equals)), widen(entry.substr(equals + 1)));
    }
    const RunResult r = run(arguments, environment);
    EXPECT_EQ(r.exitCode, row.exitCode) << r.err;
    for (const std::string& text : row.out) EXPECT_NE(r.out.find(expanded(text, false)), std::string::npos) << r.out;
    for (const std::string& text : row.err) EXPECT_NE(r.err.find(expanded(text, false)), std::string::npos) << r.err;
    for (const auto& [file, text] : row.files) {
        const std::wstring path = widen(expanded("{folder}/" + file, true));
        EXPECT_EQ(withNewlines(readFileBytes(path).value_or("(missing)")), text) << file;
    }
    // -Xcheck:jni finds nothing to say about the launcher's JNI calls.
    EXPECT_EQ(r.out.find("WARNING"), std::string::npos) << r.out;
    EXPECT_EQ(r.err.find("WARNING"), std::string::npos) << r.err;
}

INSTANTIATE_TEST_SUITE_P(WindowsRuntime, SharedCases, testing::ValuesIn(launcherCases()),
                         [](const testing::TestParamInfo<LauncherCase>& c) {
                             return std::string(c.param.launcher == std::wstring(L"jlaunch.exe") ? "Gui" : "Console") +
                                    "_" + c.param.row.name;
                         });

// The rows that fail without "Failure Check": the GUI launcher shows the
// console's first error text in a message box, then ends with -1.
std::vector<RealVmCase> guiFailures() {
    std::vector<RealVmCase> rows;
    for (const RealVmCase& row : jvm_tests::realVmCases()) {
        if (row.exitCode == -1 && row.application.empty()) rows.push_back(row);
    }
    return rows;
}

class GuiFailures : public RealRuntime, public testing::WithParamInterface<RealVmCase> {};

TEST_P(GuiFailures, AreShownInAMessageBox) {
    const RealVmCase& row = GetParam();
    install(L"jlaunch.exe");
    writeSettings(row.mainClass, row.vmParameters, "");
    ChildProcess child = ChildProcess::start(app(), commandLine(row.arguments));
    const HWND box = child.waitForWindow(kJavaTimeout, L"#32770");
    ASSERT_NE(box, nullptr) << "no message box";
    const MessageBoxView view = readMessageBox(box);
    std::string text = row.err.front();
    if (text.ends_with("\n")) text.pop_back();
    EXPECT_NE(view.text.find(widen(text)), std::wstring::npos) << describe(view);
    EXPECT_TRUE(clickButton(box, IDOK));
    EXPECT_EQ(child.waitForExit(kJavaTimeout), -1) << narrowForReport(child.blockingWindows());
}

INSTANTIATE_TEST_SUITE_P(WindowsRuntime, GuiFailures, testing::ValuesIn(guiFailures()),
                         [](const testing::TestParamInfo<RealVmCase>& row) { return std::string(row.param.name); });

// What the runtime says only on its own Java streams reaches the GUI
// launcher's box when the process has none: the boot layer's refusal (its
// standard output) and the launcher helper's (its error stream, kept in a
// temporary file that goes with the process).
TEST_F(RealRuntime, GuiRefusalsSayWhatTheRuntimeSaid) {
    install(L"jlaunch.exe");
    const struct {
        const char* name;
        const char* mainClass;  // may go on with more lines of its section
        std::wstring said;
    } rows[] = {
        {"missing module", "Hello\nMain Module=com.example.gone",
         L"Error occurred during initialization of boot layer\njava.lang.module.FindException: Module "
         L"com.example.gone not found"},
        {"module path without the module", "Hello\nMain Module=com.example.gone/com.example.Main\nModule Path=mods",
         L"Module com.example.gone not found"},
        {"class without main", "NoMain", L"found in class NoMain"},
    };
    const std::wstring temporary = files_.makeFolder(L"temp");
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        writeSettings(row.mainClass, "", "");
        ChildProcess child =
            ChildProcess::start(app(), commandLine({}), {}, {{L"TEMP", temporary}, {L"TMP", temporary}});
        const HWND box = child.waitForWindow(kJavaTimeout, L"#32770");
        ASSERT_NE(box, nullptr) << "no message box";
        const MessageBoxView view = readMessageBox(box);
        EXPECT_NE(view.text.find(row.said), std::wstring::npos) << describe(view);
        EXPECT_TRUE(clickButton(box, IDOK));
        EXPECT_EQ(child.waitForExit(kJavaTimeout), -1) << narrowForReport(child.blockingWindows());
        std::vector<std::string> left;
        for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::path(temporary))) {
            // The VM's own performance data folder stays, as with java.exe.
            if (!entry.path().filename().string().starts_with("hsperfdata_")) {
                left.push_back(entry.path().filename().string());
            }
        }
        EXPECT_EQ(left, std::vector<std::string>{}) << "left in TEMP";
    }
}

// The exit codes of both launchers are those of the runtime's own java.exe
// running the same class with the same arguments.
TEST_F(RealRuntime, ExitCodesAreThoseOfJavaExe) {
    const std::vector<std::vector<std::string>> runs = {
        {"ExitCode", "42"},          {"ExitCode", "-1"}, {"ExitCode", "300"}, {"ExitCode", "43", "halt"},
        {"ExitCode", "44", "later"}, {"Hello"},          {"Thrower"},
    };
    const std::wstring classes = windowsPath(JLAUNCH_JVM_FIXTURES);
    for (const std::vector<std::string>& command : runs) {
        std::string what;
        for (const std::string& word : command) what += word + " ";
        SCOPED_TRACE(what);
        std::wstring javaLine = quoted(runtimeHome() + L"\\bin\\java.exe") +
                                L" -Xcheck:jni -XX:ActiveProcessorCount=2 -cp " + quoted(classes);
        for (const std::string& word : command) javaLine += L" " + commandLineArgument(widen(word));
        ChildProcess java =
            ChildProcess::startWithOutput({}, javaLine, files_ / L"java-out.txt", files_ / L"java-err.txt");
        const std::optional<std::int32_t> expected = java.waitForExit(kJavaTimeout);
        ASSERT_TRUE(expected.has_value());
        writeSettings(command.front(), "", "");
        for (const wchar_t* launcher : {L"jlaunchc.exe", L"jlaunch.exe"}) {
            install(launcher);
            const RunResult r = run({command.begin() + 1, command.end()});
            EXPECT_EQ(r.exitCode, expected) << narrowForReport(launcher) << "\n" << r.err;
        }
    }
}

// Java's own escape of a text, as the fixtures print it (CodePoints.escaped).
std::string javaEscaped(const std::wstring& text) {
    std::string escaped;
    for (const wchar_t c : text) {
        if (c >= 0x20 && c < 0x7F && c != L'\\') {
            escaped.push_back(static_cast<char>(c));
        } else {
            char code[8];
            std::snprintf(code, sizeof code, "\\u%04x", static_cast<unsigned>(c));
            escaped += code;
        }
    }
    return escaped;
}

// The launcher runs in the UTF-8 code page (its manifest), so the narrow
// strings it hands to the VM hold any text: a class path in a folder named in
// Greek and Japanese, and a -D value naming it, reach Java whole.
TEST_F(RealRuntime, ClassPathAndPropertyInAGreekAndJapaneseFolderReachJavaWhole) {
    const std::wstring folder = folder_ / L"\u0394\u03BF\u03BA\u03B9\u03BC\u03AE \u65E5\u672C";
    if (!CreateDirectoryW(folder.c_str(), nullptr)) {
        GTEST_SKIP() << "Wine cannot store this file name under the current LC_ALL: " << GetLastError();
    }
    for (const wchar_t* name : {L"Properties.class", L"CodePoints.class"}) {
        const std::wstring from = windowsPath(JLAUNCH_JVM_FIXTURES) + L"\\" + name;
        ASSERT_TRUE(CopyFileW(from.c_str(), (folder + L"\\" + name).c_str(), FALSE)) << narrowForReport(from);
    }
    const std::wstring settings = L"[Java Runtime Environment]\r\nMain Class=Properties\r\nJRE Path=" + runtimeHome() +
                                  L"\r\nVirtual Machine Parameters=-XX:ActiveProcessorCount=2 \"-Dapp.folder=" +
                                  folder + L"\"\r\n[Class Path]\r\nClass Path=" + folder + L"\r\n";
    folder_.writeFile(L"app.ini", utf16Bytes(settings));
    for (const wchar_t* launcher : {L"jlaunchc.exe", L"jlaunch.exe"}) {
        SCOPED_TRACE(narrowForReport(launcher));
        install(launcher);
        const RunResult r = run({"app.folder", "java.class.path", "sun.jnu.encoding"});
        EXPECT_EQ(r.exitCode, 0) << r.err;
        EXPECT_NE(r.out.find("app.folder=" + javaEscaped(folder) + "\n"), std::string::npos) << r.out;
        EXPECT_NE(r.out.find("java.class.path=" + javaEscaped(folder)), std::string::npos) << r.out;
        EXPECT_NE(r.out.find("sun.jnu.encoding=UTF-8\n"), std::string::npos) << r.out;
    }
}

// The GUI launcher with "Failure Check": the dialog shows the real stack
// trace; Stop ends the VM through System.exit(-1), and Ignore lets the run
// end as if main had returned.
TEST_F(RealRuntime, ExceptionDialogShowsTheRealStackTrace) {
    install(L"jlaunch.exe");
    writeSettings("Thrower", "", "Failure Check=Yes\n");
    const struct {
        const char* name;
        int button;
        std::int32_t exitCode;
    } answers[] = {{"Stop", IDCANCEL, -1}, {"Ignore", IDOK, 0}};
    for (const auto& answer : answers) {
        SCOPED_TRACE(answer.name);
        ChildProcess child = ChildProcess::start(app(), commandLine({}));
        const HWND dialog = child.waitForWindow(kJavaTimeout, L"#32770");
        ASSERT_NE(dialog, nullptr) << "no exception dialog";
        const std::wstring trace = windowText(GetDlgItem(dialog, 208));
        EXPECT_NE(trace.find(L"java.lang.IllegalStateException: boom \u00fc\u4e2d"), std::wstring::npos)
            << narrowForReport(trace);
        EXPECT_NE(trace.find(L"at Thrower.main"), std::wstring::npos) << narrowForReport(trace);
        EXPECT_TRUE(clickButton(dialog, answer.button));
        EXPECT_EQ(child.waitForExit(kJavaTimeout), answer.exitCode) << narrowForReport(child.blockingWindows());
    }
}

// Single instance with the GUI launcher: the first launch runs Forwarded;
// twenty later ones at once each reach its secondaryMain once and end with
// the number it returns.
TEST_F(RealRuntime, TwentySecondInstancesAtOnceEachReachSecondaryMainOnce) {
    install(L"jlaunch.exe");
    const std::string record = utf8Bytes(files_ / L"record");
    const std::wstring stop = files_ / L"stop";
    writeSettings("Forwarded", "-Dforwarded.record=" + record + " -Dforwarded.stop=" + utf8Bytes(stop),
                  "Single Instance=yes\n");
    const auto recorded = [&record](const std::string& kind) {
        std::istringstream in(withNewlines(readFileBytes(widen(record)).value_or("")));
        std::vector<std::string> arguments;  // U+001F between two
        for (std::string line; std::getline(in, line);) {
            if (line.rfind(kind + " ", 0) == 0) arguments.push_back(line.substr(line.find(' ', kind.size() + 1) + 1));
        }
        return arguments;
    };
    ChildProcess first = ChildProcess::start(app(), commandLine({"first"}));
    for (auto end = std::chrono::steady_clock::now() + kJavaTimeout;
         recorded("main").empty() && std::chrono::steady_clock::now() < end;) {
        Sleep(20);
    }
    ASSERT_EQ(recorded("main"), std::vector<std::string>{"first"});

    std::vector<std::unique_ptr<ChildProcess>> seconds;
    std::map<std::string, int> expected;
    for (int i = 0; i < 20; ++i) {
        const std::string euro = "\xE2\x82\xAC " + std::to_string(i);  // outside the ANSI code page of some systems
        seconds.push_back(
            std::make_unique<ChildProcess>(ChildProcess::start(app(), commandLine({std::to_string(100 + i), euro}))));
        expected[std::to_string(100 + i) + "\x1F" + euro] = 1;
    }
    for (int i = 0; i < 20; ++i) {
        EXPECT_EQ(seconds[static_cast<std::size_t>(i)]->waitForExit(kJavaTimeout), 100 + i) << "second " << i;
    }
    std::map<std::string, int> calls;
    for (const std::string& call : recorded("call")) ++calls[call];
    EXPECT_EQ(calls, expected);
    EXPECT_EQ(recorded("main").size(), 1u);
    files_.writeFile(L"stop", "stop");
    EXPECT_EQ(first.waitForExit(kJavaTimeout), 0) << narrowForReport(first.blockingWindows());
}

// The start-up cache with the real runtime: made when the first launch ends
// (also through System.exit, which on Windows skips this program's own exit
// handlers), mapped by the next.
TEST_F(RealRuntime, StartupCacheIsMadeByTheFirstLaunchAndUsedByTheNext) {
    install(L"jlaunchc.exe");
    const std::string ini =
        "[Java Runtime Environment]\r\nMain Class=ExitCode\r\nJRE Path=" + utf8Bytes(runtimeHome()) +
        "\r\nVirtual Machine Parameters=-XX:ActiveProcessorCount=2\r\nStartup Cache=yes\r\n"
        "[Class Path]\r\nClass Path=" +
        utf8Bytes(windowsPath(JLAUNCH_FIXTURE_JAR)) + "\r\n";
    folder_.writeFile(L"app.ini", utf16Bytes(widen(ini)));
    const EnvironmentChanges environment = {{L"LOCALAPPDATA", files_ / L"local"}, {L"JLAUNCH_TRACE", L"-"}};
    const RunResult first = run({"7"}, environment);
    EXPECT_EQ(first.exitCode, 7) << first.err;
    EXPECT_NE(first.err.find("startup cache: made "), std::string::npos) << first.err;
    const RunResult second = run({"8"}, environment);
    EXPECT_EQ(second.exitCode, 8) << second.err;
    EXPECT_NE(second.err.find("startup cache: using "), std::string::npos) << second.err;
    // A damaged cache: the runtime's complaint goes to the launch's own log
    // file (through the runtime's C library), never to the user, and the
    // cache is made again.
    for (const std::filesystem::directory_entry& cache :
         std::filesystem::directory_iterator(std::filesystem::path(files_ / L"local") / L"app")) {
        std::ofstream(cache.path(), std::ios::binary | std::ios::trunc) << "damaged";
    }
    const RunResult damaged = run({"9"}, environment);
    EXPECT_EQ(damaged.exitCode, 9) << damaged.err;
    EXPECT_EQ(damaged.err.find("[error]"), std::string::npos) << damaged.err;
    EXPECT_NE(damaged.err.find("startup cache: the runtime rejected the cache"), std::string::npos) << damaged.err;
}

}  // namespace
}  // namespace jlaunch::test
