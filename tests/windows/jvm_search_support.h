#pragma once
// What the Java VM search tests share: settings files, launches of a copy of
// the real exe with what they showed, and a fixture with fake Java homes and
// registry keys. A fake jvm.dll cannot be loaded, so the launcher reports the
// library it chose in message 222; when it finds none it shows the "JRE Not
// Found" dialog.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/java_version.h"
#include "java_registry.h"
#include "launch_helper.h"
#include "settings/launcher_settings.h"

namespace jlaunch::test {

// One "key=value" line of a settings section.
using Entries = std::vector<std::pair<std::string, std::wstring>>;

// A settings file with a main class and these keys; "Maximum Version" is
// "any" unless the keys give one.
std::string settingsText(const Entries& runtime, const Entries& application = {});

std::wstring folderOf(const std::wstring& path);

// The path that message 222 names, when `text` is that message.
std::optional<std::wstring> libraryOfLoadFailure(std::wstring text);

// What one launch showed and how it ended. Message boxes are answered with
// OK, the "JRE Not Found" dialog with Cancel.
struct Outcome {
    std::optional<std::wstring> loadedLibrary;       // the jvm.dll that message 222 names
    std::optional<std::wstring> otherMessage;        // any other message box
    std::optional<std::wstring> jreNotFoundMessage;  // the dialog's text (control 203)
    std::optional<std::int32_t> exitCode;
    std::wstring blocking;
};

std::string describe(const Outcome& outcome);

// Answers what the launched copy shows and waits for its end.
Outcome finish(ChildProcess& child, std::chrono::milliseconds exitTimeout);

// What a search that chose `library` shows: message 222 for it, then -1.
std::string loadFailureOf(const std::wstring& library);

// The cancelled "JRE Not Found" dialog with the message for these settings.
std::string jreNotFoundFor(JvmType type, const JavaVersion& minimum = {},
                           const JavaVersion& maximum = parseMaximumVersion(L"any"));

// The files of a fake home: a JDK has the compiler; "client" has no server VM, "no VM" none.
enum class Layout { Jdk, Jre, Client, NoVm };

// One installation as an installer registers it.
struct Registered {
    std::wstring key;  // below HKLM, the key that holds the value
    std::wstring value;
    std::wstring home;  // below the test's homes folder
    Layout layout = Layout::Jdk;
    View view = View::Native;
};

class JvmSearchTest : public ::testing::Test {
public:
    // A fake Java home below the test's homes folder.
    std::wstring home(std::wstring_view name, std::initializer_list<std::wstring_view> files) {
        return makeJavaHome(homes_ / name, files);
    }
    std::wstring home(std::wstring_view name, Layout layout) {
        switch (layout) {
            case Layout::Jre:
                return home(name, {kJavaDll, kServerVm});
            case Layout::Client:
                return home(name, {kJavaDll, kClientVm, L"bin\\javac.exe"});
            case Layout::NoVm:
                return home(name, {kJavaDll});
            case Layout::Jdk:
                break;
        }
        return home(name, {kJavaDll, kServerVm, L"bin\\javac.exe"});
    }
    // Makes each home and writes its registry value.
    void install(const std::vector<Registered>& installations) {
        for (const Registered& entry : installations) {
            registry_.addString(entry.key, entry.value, home(entry.home, entry.layout), entry.view);
        }
    }

protected:
    void SetUp() override {
        if (!registry_.usable()) {
            GTEST_SKIP() << registry_.problem();
        }
    }

    // Starts `copy` with `arguments`, JAVA_HOME set to `javaHome` (removed
    // when nothing) and the `extra` variables, in `workingFolder` (the
    // copy's folder when empty); gives it `exitTimeout` to end.
    static Outcome launch(const LauncherCopy& copy, const std::optional<std::wstring>& javaHome = std::nullopt,
                          const std::wstring& arguments = L"-nosplash", EnvironmentChanges extra = {},
                          const std::wstring& workingFolder = {},
                          std::chrono::milliseconds exitTimeout = kExitTimeout) {
        extra.emplace_back(L"JAVA_HOME", javaHome);
        ChildProcess child = ChildProcess::start(copy.exePath(), quoted(copy.exePath()) + L" " + arguments,
                                                 workingFolder.empty() ? copy.exeFolder() : workingFolder, extra);
        return finish(child, exitTimeout);
    }

    TemporaryFolder homes_;
    JavaRegistry registry_;
};

}  // namespace jlaunch::test
