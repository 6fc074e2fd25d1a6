#pragma once
// The hosting driven end to end: the real launcher, copied beside a settings
// file whose "JRE Path" names a fake Java home, loads the scripted jvm.dll of
// tests/fakes, whose trace tells what the launcher handed to the VM and which
// JNI calls it made. Shared by the hosting_end_to_end_test*.cpp files.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "../fakes/fake_jvm_script.h"
#include "launch_helper.h"

namespace jlaunch::test::hosting {

// A launch that works ends well within this; one that hangs is killed.
inline constexpr std::chrono::milliseconds kLaunchTimeout{15000};

// Message `id` of the launcher's table in the system's language (the one
// the launcher shows), with each "%s" or "%d" replaced by the next argument.
std::wstring message(unsigned id, const std::vector<std::wstring>& arguments = {});

// Text in the ANSI code page, as the VM receives its option strings.
std::string ansi(std::wstring_view text);

// The text a test expects next to what came, for failure reports.
std::string shown(std::wstring_view text);

// A settings file: sections and their keys in the order they were set.
class Settings {
public:
    Settings& set(const std::wstring& section, const std::wstring& key, const std::wstring& value);
    Settings& remove(const std::wstring& section, const std::wstring& key);
    // UTF-16 with a byte-order mark, so any character can be written.
    std::string bytes() const;

private:
    struct Entry {
        std::wstring section;
        std::wstring key;
        std::wstring value;
    };
    std::vector<Entry> entries_;
};

inline const std::wstring kJre = L"Java Runtime Environment";
inline const std::wstring kApplication = L"Application";
inline const std::wstring kClassPath = L"Class Path";

// The user's answer to the exception dialog (dialog 231), given its window.
using DialogAnswer = std::function<void(HWND dialog)>;

// What one launch showed and did.
struct Launch {
    std::vector<MessageBoxView> boxes;       // message boxes, each answered with OK, in order
    std::vector<std::wstring> stackTraces;   // control 208 of each exception dialog
    std::vector<std::wstring> otherWindows;  // anything else that appeared (cancelled)
    std::optional<std::int32_t> exitCode;
    std::wstring blocking;  // what a launch that did not end showed
    std::chrono::milliseconds duration{};
    fake_jvm::Trace trace;

    // Box texts, trace and exit code, for failure reports.
    std::string report() const;
};

// The launcher copied as app.exe into a folder of its own, with settings
// that make it load the fake VM of the "full" home and run com.acme.App
// (a class of the script with a static main that returns).
class HostingLaunch : public testing::Test {
protected:
    HostingLaunch();

    // Writes the settings and the script, starts the copy with `arguments`
    // and answers what it shows until it ends: message boxes with OK, the
    // exception dialog with `answer` (Ignore when there is none). The child
    // gets the script and trace variables, "Path" = kOriginalPath, then
    // `environment`.
    Launch launch(const std::wstring& arguments = {}, const EnvironmentChanges& environment = {},
                  const DialogAnswer& answer = {});

    void useJavaHome(fake_jvm::Variant variant);
    // Starts the script over: no VM settings, only com/acme/App, returned.
    fake_jvm::ScriptClass& freshScript();
    fake_jvm::ScriptClass& app() { return *app_; }

    // Called once the launcher has started, while it runs, with its process
    // and the trace file's path; launch() answers its windows afterwards.
    std::function<void(const ChildProcess& child, const std::wstring& tracePath)> whileRunning_;

    // Exit code 0, main entered and returned, no message, and the JNI
    // discipline kept: no MISUSE, no LEAK, every local reference gone when
    // the Java thread detached, and the VM destroyed at the end.
    static void expectCleanRun(const Launch& launch);
    // Exactly one message box with `text`, then exit code -1.
    static void expectFailure(const Launch& launch, const std::wstring& text);
    // The JNI discipline alone.
    static void expectJniDiscipline(const Launch& launch);

    LauncherCopy copy_{L"app.exe"};
    TemporaryFolder files_;  // script, trace and whatever else a test needs
    Settings settings_;
    fake_jvm::Script script_;
    fake_jvm::ScriptClass* app_ = nullptr;

    // Set once a launch had to be killed: later launches of the test are
    // skipped, so that a test stays within its time limit.
    bool stuck_ = false;

    // The search path the launcher starts with.
    static constexpr const wchar_t* kOriginalPath = L"C:\\windows\\system32;C:\\windows;C:\\jlt-original";
};

}  // namespace jlaunch::test::hosting
