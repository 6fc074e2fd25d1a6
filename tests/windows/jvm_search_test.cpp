// The search order of the Java VM through the real jlaunch.exe: copies in
// temporary folders beside fake Java homes, registry keys and JAVA_HOME.
// The paired launcher is a probe program that records how it was started.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "java_registry.h"
#include "jvm_search_support.h"
#include "launch_helper.h"

namespace jlaunch::test {
namespace {

using namespace std::chrono_literals;

using JvmSearchOrder = JvmSearchTest;

TEST_F(JvmSearchOrder, JrePathWinsOverEveryOtherSource) {
    const LauncherCopy copy(L"app.exe");
    const std::wstring jrePath = home(L"configured", {kJavaDll, kClientVm, kServerVm});
    makeJavaHome(copy.exeFolder(), {kJavaDll, kServerVm});
    registry_.addJavaHome(2, L"17", home(L"registered", {kJavaDll, kServerVm}));
    const std::wstring javaHome = home(L"environment", {kJavaDll, kServerVm});
    copy.writeSettings(settingsText({{"JRE Path", jrePath}}));
    EXPECT_EQ(describe(launch(copy, javaHome)), loadFailureOf(jrePath + L"\\bin\\client\\jvm.dll"));
}

TEST_F(JvmSearchOrder, RelativeJrePathIsTakenFromTheExecutablesFolderNotTheWorkingFolder) {
    const LauncherCopy copy(L"app\\launcher.exe");
    makeJavaHome(copy.exeFolder() + L"\\runtime", {kJavaDll, kServerVm});
    // The same relative path below the working folder is a decoy.
    const std::wstring working = homes_.makeFolder(L"working");
    makeJavaHome(working + L"\\runtime", {kJavaDll, kServerVm});
    copy.writeSettings(settingsText({{"JRE Path", L"runtime\\"}}));
    EXPECT_EQ(describe(launch(copy, std::nullopt, L"-nosplash", {}, working)),
              loadFailureOf(copy.exeFolder() + L"\\runtime\\bin\\server\\jvm.dll"));
}

TEST_F(JvmSearchOrder, JrePathWithoutAVmFallsThroughToTheExecutablesFolder) {
    const LauncherCopy copy(L"app.exe");
    makeJavaHome(copy.exeFolder(), {kJavaDll, kServerVm});
    makeJavaHome(copy.exeFolder() + L"\\jre64", {kJavaDll, kServerVm});
    copy.writeSettings(settingsText({{"JRE Path", home(L"no-vm", {kJavaDll, L"bin\\jvm.dll"})}}));
    EXPECT_EQ(describe(launch(copy)), loadFailureOf(copy.exeFolder() + L"\\bin\\server\\jvm.dll"));
}

TEST_F(JvmSearchOrder, MissingJrePathFolderFallsThroughToTheRegistry) {
    const LauncherCopy copy(L"app.exe");
    const std::wstring registered = home(L"registered", {kJavaDll, kServerVm});
    registry_.addJavaHome(2, L"11", registered);
    copy.writeSettings(settingsText({{"JRE Path", homes_ / L"missing"}}));
    EXPECT_EQ(describe(launch(copy, home(L"environment", {kJavaDll, kServerVm}))),
              loadFailureOf(registered + L"\\bin\\server\\jvm.dll"));
}

TEST_F(JvmSearchOrder, ExecutablesFolderComesBeforeItsJre64AndTheRegistry) {
    const LauncherCopy copy(L"app.exe");
    makeJavaHome(copy.exeFolder(), {kJavaDll, kClientVm});
    makeJavaHome(copy.exeFolder() + L"\\jre64", {kJavaDll, kServerVm});
    registry_.addJavaHome(2, L"17", home(L"registered", {kJavaDll, kServerVm}));
    copy.writeSettings(settingsText({}));
    EXPECT_EQ(describe(launch(copy)), loadFailureOf(copy.exeFolder() + L"\\bin\\client\\jvm.dll"));
}

TEST_F(JvmSearchOrder, Jre64IsUsedWhenTheExecutablesFolderHasNoJavaDll) {
    const LauncherCopy copy(L"app.exe");
    makeJavaHome(copy.exeFolder(), {kServerVm});
    makeJavaHome(copy.exeFolder() + L"\\jre64", {kJavaDll, kClientVm});
    registry_.addJavaHome(2, L"17", home(L"registered", {kJavaDll, kServerVm}));
    copy.writeSettings(settingsText({}));
    EXPECT_EQ(describe(launch(copy)), loadFailureOf(copy.exeFolder() + L"\\jre64\\bin\\client\\jvm.dll"));
}

TEST_F(JvmSearchOrder, JavaDllWithoutAVmInTheExecutablesFolderSkipsJre64) {
    const LauncherCopy copy(L"app.exe");
    makeJavaHome(copy.exeFolder(), {kJavaDll});
    makeJavaHome(copy.exeFolder() + L"\\jre64", {kJavaDll, kServerVm});
    const std::wstring registered = home(L"registered", {kJavaDll, kServerVm});
    registry_.addJavaHome(2, L"1.8", registered);
    copy.writeSettings(settingsText({}));
    EXPECT_EQ(describe(launch(copy)), loadFailureOf(registered + L"\\bin\\server\\jvm.dll"));
}

TEST_F(JvmSearchOrder, Jre64WithoutJavaDllIsNoJavaHome) {
    const LauncherCopy copy(L"app.exe");
    makeJavaHome(copy.exeFolder() + L"\\jre64", {kServerVm});
    const std::wstring javaHome = home(L"environment", {kJavaDll, kServerVm});
    copy.writeSettings(settingsText({}));
    EXPECT_EQ(describe(launch(copy, javaHome)), loadFailureOf(javaHome + L"\\bin\\server\\jvm.dll"));
}

TEST_F(JvmSearchOrder, RegistryComesBeforeJavaHomeAndItsBestCandidateWins) {
    const LauncherCopy copy(L"app.exe");
    registry_.addJavaHome(2, L"11", home(L"jre11", {kJavaDll, kServerVm}));
    const std::wstring newest = home(L"jdk17", {kJavaDll, kServerVm});
    registry_.addJavaHome(1, L"17.0.2", newest);
    copy.writeSettings(settingsText({}));
    EXPECT_EQ(describe(launch(copy, home(L"environment", {kJavaDll, kServerVm}))),
              loadFailureOf(newest + L"\\bin\\server\\jvm.dll"));
}

TEST_F(JvmSearchOrder, VersionRangeLimitsTheRegistryOnly) {
    const LauncherCopy copy(L"app.exe");
    registry_.addJavaHome(2, L"11", home(L"jre11", {kJavaDll, kServerVm}));
    // JAVA_HOME carries no version: whatever it holds is taken.
    const std::wstring javaHome = home(L"environment", {kJavaDll, kServerVm});
    copy.writeSettings(settingsText({{"Minimum Version", L"17"}, {"Maximum Version", L"any"}}));
    EXPECT_EQ(describe(launch(copy, javaHome)), loadFailureOf(javaHome + L"\\bin\\server\\jvm.dll"));
}

TEST_F(JvmSearchOrder, UnreadableVersionsAndEmptyRangesStopBeforeTheSearch) {
    const LauncherCopy copy(L"app.exe");
    const std::wstring registered = home(L"jre17", {kJavaDll, kServerVm});
    registry_.addJavaHome(2, L"17", registered);
    struct Case {
        Entries keys;
        std::wstring message;  // its first line
        Entries application = {};
    };
    const Case cases[] = {
        {{{"Maximum Version", L"latest"}},
         L"\u201CMaximum Version\u201D in [Java Runtime Environment] is not a Java version: \u201Clatest\u201D."},
        {{{"Minimum Version", L"99999999999"}},
         L"\u201CMinimum Version\u201D in [Java Runtime Environment] is not a Java version: \u201C99999999999\u201D."},
        {{{"Minimum Version", L"26"}, {"Maximum Version", L"17"}},
         L"\u201CMinimum Version\u201D 26 is above \u201CMaximum Version\u201D 17: no Java version fits."},
        {{},
         L"\u201CRestart Code\u201D in [Application] is not a whole number from -2147483648 to 2147483647: "
         L"\u201C4294967295\u201D.",
         {{"Restart Code", L"4294967295"}}},
    };
    for (const Case& c : cases) {
        copy.writeSettings(settingsText(c.keys, c.application));
        const Outcome outcome = launch(copy);
        ASSERT_TRUE(outcome.otherMessage) << describe(outcome);
        EXPECT_EQ(outcome.otherMessage->substr(0, outcome.otherMessage->find(L'\n')), c.message);
        EXPECT_NE(outcome.otherMessage->find(L"\nSettings file: "), std::wstring::npos) << describe(outcome);
        EXPECT_FALSE(outcome.loadedLibrary) << describe(outcome);
        EXPECT_EQ(outcome.exitCode, -1);
    }
    // An empty maximum sets no upper bound.
    copy.writeSettings(settingsText({{"Maximum Version", L""}}));
    EXPECT_EQ(describe(launch(copy)), loadFailureOf(registered + L"\\bin\\server\\jvm.dll"));
}

TEST_F(JvmSearchOrder, KeyFourHomeRankedAsClientStillLoadsItsServerVmForFavorServer) {
    const LauncherCopy copy(L"app.exe");
    const std::wstring both = home(L"both", {kJavaDll, kClientVm, kServerVm});
    registry_.addJavaHome(4, L"1.8", both);
    copy.writeSettings(settingsText({{"JVM Type", L"favor_server"}}));
    EXPECT_EQ(describe(launch(copy)), loadFailureOf(both + L"\\bin\\server\\jvm.dll"));
}

using JvmSearchJavaHome = JvmSearchTest;

TEST_F(JvmSearchJavaHome, JavaHomeWithARuntimeIsUsedWithOrWithoutTrailingBackslash) {
    const LauncherCopy copy(L"app.exe");
    copy.writeSettings(settingsText({}));
    const std::wstring javaHome = home(L"environment", {kJavaDll, kClientVm, kServerVm});
    EXPECT_EQ(describe(launch(copy, javaHome)), loadFailureOf(javaHome + L"\\bin\\client\\jvm.dll"));
    EXPECT_EQ(describe(launch(copy, javaHome + L"\\")), loadFailureOf(javaHome + L"\\bin\\client\\jvm.dll"));
}

TEST_F(JvmSearchJavaHome, UnsetOrEmptyJavaHomeEndsInTheDialog) {
    const LauncherCopy copy(L"app.exe");
    copy.writeSettings(settingsText({}));
    EXPECT_EQ(describe(launch(copy, std::nullopt)), jreNotFoundFor(JvmType::Default));
    EXPECT_EQ(describe(launch(copy, L"")), jreNotFoundFor(JvmType::Default));
}

TEST_F(JvmSearchJavaHome, JavaHomeNeedsJavaDllAndAVm) {
    const LauncherCopy copy(L"app.exe");
    copy.writeSettings(settingsText({}));
    EXPECT_EQ(describe(launch(copy, home(L"vm-only", {kServerVm}))), jreNotFoundFor(JvmType::Default));
    EXPECT_EQ(describe(launch(copy, home(L"no-vm", {kJavaDll}))), jreNotFoundFor(JvmType::Default));
}

using JvmSearchType = JvmSearchTest;

TEST_F(JvmSearchType, DefaultTypeTakesTheClientVm) {
    const LauncherCopy copy(L"app.exe");
    const std::wstring both = home(L"both", {kJavaDll, kClientVm, kServerVm});
    // Types are compared exactly: "Server" is the default type.
    copy.writeSettings(settingsText({{"JRE Path", both}, {"JVM Type", L"Server"}}));
    EXPECT_EQ(describe(launch(copy)), loadFailureOf(both + L"\\bin\\client\\jvm.dll"));
}

TEST_F(JvmSearchType, ServerAndFavorServerTakeTheServerVm) {
    const LauncherCopy copy(L"app.exe");
    const std::wstring both = home(L"both", {kJavaDll, kClientVm, kServerVm});
    copy.writeSettings(settingsText({{"JRE Path", both}, {"JVM Type", L"server"}}));
    EXPECT_EQ(describe(launch(copy)), loadFailureOf(both + L"\\bin\\server\\jvm.dll"));
    copy.writeSettings(settingsText({{"JRE Path", both}, {"JVM Type", L"favor_server"}}));
    EXPECT_EQ(describe(launch(copy)), loadFailureOf(both + L"\\bin\\server\\jvm.dll"));
}

TEST_F(JvmSearchType, FavorServerFallsBackToAClientVm) {
    const LauncherCopy copy(L"app.exe");
    makeJavaHome(copy.exeFolder(), {kJavaDll, kClientVm});
    copy.writeSettings(settingsText({{"JVM Type", L"favor_server"}}));
    EXPECT_EQ(describe(launch(copy)), loadFailureOf(copy.exeFolder() + L"\\bin\\client\\jvm.dll"));
}

TEST_F(JvmSearchType, ServerTypePassesOverEveryClientOnlyHome) {
    const LauncherCopy copy(L"app.exe");
    makeJavaHome(copy.exeFolder(), {kJavaDll, kClientVm});
    registry_.addJavaHome(2, L"17", home(L"registered", {kJavaDll, kClientVm}));
    copy.writeSettings(settingsText({{"JRE Path", home(L"configured", {kJavaDll, kClientVm})},
                                     {"JVM Type", L"server"},
                                     {"Minimum Version", L"1.8"}}));
    EXPECT_EQ(describe(launch(copy, home(L"environment", {kJavaDll, kClientVm}))),
              jreNotFoundFor(JvmType::Server, parseMinimumVersion(L"1.8")));
}

// The paired launcher: the probe, told through its environment where to
// record its command line and which code to end with.
class PairedLauncher : public JvmSearchTest {
protected:
    void SetUp() override {
        JvmSearchTest::SetUp();
        output_ = homes_ / L"probe-command-line.txt";
    }

    static std::wstring probe() { return folderOf(testProgramPath()) + L"\\jlaunch_pair_probe.exe"; }

    // A copy of the probe beside the launcher copy, under `name`.
    static void placeProbe(const LauncherCopy& copy, const std::wstring& name) {
        ASSERT_TRUE(CopyFileW(probe().c_str(), (copy.exeFolder() + L"\\" + name).c_str(), FALSE))
            << "system error " << GetLastError();
    }

    EnvironmentChanges probeEnvironment(std::int32_t exitCode, const std::wstring& releaseEvent = {}) const {
        EnvironmentChanges changes = {{L"JLAUNCH_PROBE_OUTPUT", output_},
                                      {L"JLAUNCH_PROBE_EXIT_CODE", std::to_wstring(exitCode)}};
        if (!releaseEvent.empty()) {
            changes.emplace_back(L"JLAUNCH_PROBE_RELEASE", releaseEvent);
        }
        return changes;
    }

    // The command line the probe recorded, waiting for it a while; nothing
    // when the probe did not run.
    std::optional<std::wstring> probeCommandLine(std::chrono::milliseconds wait = 5000ms) const {
        const auto deadline = std::chrono::steady_clock::now() + wait;
        do {
            if (const auto bytes = readFileBytes(output_)) {
                std::wstring text(bytes->size() / sizeof(wchar_t), L'\0');
                std::memcpy(text.data(), bytes->data(), text.size() * sizeof(wchar_t));
                return text;
            }
            Sleep(20);
        } while (std::chrono::steady_clock::now() < deadline);
        return std::nullopt;
    }

    std::wstring output_;
};

TEST_F(PairedLauncher, ThirtyTwoBitVmStartsThePairWithTheWholeCommandLineWithoutWaiting) {
    const LauncherCopy copy(L"app.exe");
    placeProbe(copy, L"pair.exe");
    const std::wstring jrePath = homes_.makeFolder(L"x86");
    homes_.writeFile(L"x86\\bin\\server\\jvm.dll", peImageBytes(IMAGE_FILE_MACHINE_I386));
    copy.writeSettings(
        settingsText({{"JRE Path", jrePath}}, {{"Pair Product", L"pair.exe"}, {"Pair Return Code", L"true"}}));
    // The probe keeps running until released (10 s at most): a launcher that
    // waited for it would not end within the 5 s it is given.
    static std::atomic<unsigned> serial{0};
    const std::wstring eventName =
        L"jlaunch-probe-release-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++serial);
    const UniqueHandle release(CreateEventW(nullptr, TRUE, FALSE, eventName.c_str()));
    ASSERT_TRUE(release.valid());
    const std::wstring arguments = L"-nosplash \"two words\" third";
    const Outcome outcome = launch(copy, std::nullopt, arguments, probeEnvironment(7, eventName), {}, 5s);
    const auto recorded = probeCommandLine();
    SetEvent(release.get());
    EXPECT_EQ(describe(outcome), "exit code 0");
    ASSERT_TRUE(recorded.has_value()) << "the paired launcher did not run";
    EXPECT_EQ(narrowForReport(*recorded), narrowForReport(quoted(copy.exePath()) + L" " + arguments));
}

TEST_F(PairedLauncher, PairReturnCodeYesInAnyCaseReturnsThePairsExitCode) {
    const LauncherCopy copy(L"app.exe");
    const std::wstring jrePath = homes_.makeFolder(L"x86");
    homes_.writeFile(L"x86\\bin\\client\\jvm.dll", peImageBytes(IMAGE_FILE_MACHINE_I386));
    copy.writeSettings(
        settingsText({{"JRE Path", jrePath}}, {{"Pair Product", probe()}, {"Pair Return Code", L"yes"}}));
    EXPECT_EQ(describe(launch(copy, std::nullopt, L"/nosplash", probeEnvironment(42))), "exit code 42");
    EXPECT_EQ(probeCommandLine().value_or(L"(none)"), quoted(copy.exePath()) + L" /nosplash");

    DeleteFileW(output_.c_str());
    copy.writeSettings(
        settingsText({{"JRE Path", jrePath}}, {{"Pair Product", probe()}, {"Pair Return Code", L"YES"}}));
    EXPECT_EQ(describe(launch(copy, std::nullopt, L"", probeEnvironment(-7))), "exit code -7");
    EXPECT_EQ(probeCommandLine().value_or(L"(none)"), quoted(copy.exePath()) + L" ");
}

TEST_F(PairedLauncher, SixtyFourBitVmWithPairProductIsLoadedInThisProcess) {
    const LauncherCopy copy(L"app.exe");
    const std::wstring jrePath = homes_.makeFolder(L"x64");
    const std::wstring library = homes_.writeFile(L"x64\\bin\\server\\jvm.dll", peImageBytes(IMAGE_FILE_MACHINE_AMD64));
    copy.writeSettings(
        settingsText({{"JRE Path", jrePath}}, {{"Pair Product", probe()}, {"Pair Return Code", L"Yes"}}));
    EXPECT_EQ(describe(launch(copy, std::nullopt, L"-nosplash", probeEnvironment(42))), loadFailureOf(library));
    EXPECT_FALSE(probeCommandLine(0ms).has_value()) << "the paired launcher ran";
}

TEST_F(PairedLauncher, ImageThatIsNoValidPeIsNotThirtyTwoBit) {
    const LauncherCopy copy(L"app.exe");
    const std::wstring jrePath = homes_.makeFolder(L"broken");
    // "MZ" and the x86 machine number, but no "PE\0\0" where the DOS header points.
    std::string bytes = peImageBytes(IMAGE_FILE_MACHINE_I386);
    bytes[sizeof(IMAGE_DOS_HEADER) + 1] = 'X';
    const std::wstring library = homes_.writeFile(L"broken\\bin\\server\\jvm.dll", bytes);
    copy.writeSettings(
        settingsText({{"JRE Path", jrePath}}, {{"Pair Product", probe()}, {"Pair Return Code", L"Yes"}}));
    EXPECT_EQ(describe(launch(copy, std::nullopt, L"-nosplash", probeEnvironment(42))), loadFailureOf(library));
    EXPECT_FALSE(probeCommandLine(0ms).has_value()) << "the paired launcher ran";
}

TEST_F(PairedLauncher, ThirtyTwoBitVmWithoutPairProductIsLoadedInThisProcess) {
    const LauncherCopy copy(L"app.exe");
    const std::wstring jrePath = homes_.makeFolder(L"x86");
    const std::wstring library = homes_.writeFile(L"x86\\bin\\server\\jvm.dll", peImageBytes(IMAGE_FILE_MACHINE_I386));
    copy.writeSettings(settingsText({{"JRE Path", jrePath}}, {{"Pair Return Code", L"Yes"}}));
    EXPECT_EQ(describe(launch(copy, std::nullopt, L"-nosplash", probeEnvironment(42))), loadFailureOf(library));
}

TEST_F(PairedLauncher, JavaHomeThirtyTwoBitVmStartsThePair) {
    const LauncherCopy copy(L"app.exe");
    const std::wstring javaHome = home(L"x86", {kJavaDll});
    homes_.writeFile(L"x86\\bin\\client\\jvm.dll", peImageBytes(IMAGE_FILE_MACHINE_I386));
    copy.writeSettings(settingsText({}, {{"Pair Product", probe()}, {"Pair Return Code", L"Yes"}}));
    EXPECT_EQ(describe(launch(copy, javaHome, L"-nosplash", probeEnvironment(3))), "exit code 3");
    EXPECT_TRUE(probeCommandLine().has_value()) << "the paired launcher did not run";
}

TEST_F(PairedLauncher, RuntimeInTheExecutablesFolderIsNeverHandedOver) {
    const LauncherCopy copy(L"app.exe");
    makeJavaHome(copy.exeFolder(), {kJavaDll});
    const std::wstring library =
        copy.folder().writeFile(L"bin\\server\\jvm.dll", peImageBytes(IMAGE_FILE_MACHINE_I386));
    copy.writeSettings(settingsText({}, {{"Pair Product", probe()}, {"Pair Return Code", L"Yes"}}));
    EXPECT_EQ(describe(launch(copy, std::nullopt, L"-nosplash", probeEnvironment(42))), loadFailureOf(library));
    EXPECT_FALSE(probeCommandLine(0ms).has_value()) << "the paired launcher ran";
}

TEST_F(PairedLauncher, InstallationOnlyInThe32BitRegistryViewStartsThePair) {
    const LauncherCopy copy(L"app.exe");
    // The view alone decides: the file is not even looked at.
    registry_.addJavaHome(2, L"17", home(L"wow32", {kJavaDll, kServerVm}), View::Wow32);
    copy.writeSettings(settingsText({}, {{"Pair Product", probe()}, {"Pair Return Code", L"Yes"}}));
    EXPECT_EQ(describe(launch(copy, std::nullopt, L"-nosplash", probeEnvironment(5))), "exit code 5");
    EXPECT_EQ(probeCommandLine().value_or(L"(none)"), quoted(copy.exePath()) + L" -nosplash");
}

TEST_F(PairedLauncher, WithoutPairProductThe32BitRegistryViewIsNotRead) {
    const LauncherCopy copy(L"app.exe");
    registry_.addJavaHome(2, L"17", home(L"wow32", {kJavaDll, kServerVm}), View::Wow32);
    copy.writeSettings(settingsText({}, {{"Pair Return Code", L"Yes"}}));
    EXPECT_EQ(describe(launch(copy)), jreNotFoundFor(JvmType::Default));
}

TEST_F(PairedLauncher, NativeRegistryChoiceStaysHereEvenWhenItIsThirtyTwoBit) {
    const LauncherCopy copy(L"app.exe");
    // The native view's choice is neither checked for its image nor passed
    // over for the 32-bit view's newer installation.
    const std::wstring native = homes_.makeFolder(L"native");
    const std::wstring library =
        homes_.writeFile(L"native\\bin\\server\\jvm.dll", peImageBytes(IMAGE_FILE_MACHINE_I386));
    registry_.addJavaHome(2, L"11", native);
    registry_.addJavaHome(2, L"17", home(L"wow32", {kJavaDll, kServerVm}), View::Wow32);
    copy.writeSettings(settingsText({}, {{"Pair Product", probe()}, {"Pair Return Code", L"Yes"}}));
    EXPECT_EQ(describe(launch(copy, std::nullopt, L"-nosplash", probeEnvironment(42))), loadFailureOf(library));
    EXPECT_FALSE(probeCommandLine(0ms).has_value()) << "the paired launcher ran";
}

TEST_F(PairedLauncher, RelativePairProductIsFoundFromTheWorkingFolder) {
    const LauncherCopy copy(L"app.exe");
    placeProbe(copy, L"pair.exe");
    const std::wstring jrePath = homes_.makeFolder(L"x86");
    homes_.writeFile(L"x86\\bin\\server\\jvm.dll", peImageBytes(IMAGE_FILE_MACHINE_I386));
    const std::wstring elsewhere = homes_.makeFolder(L"elsewhere");
    const Entries runtime = {{"JRE Path", jrePath}};
    // Started from another folder, "pair.exe" names nothing: not reported.
    copy.writeSettings(settingsText(runtime, {{"Pair Product", L"pair.exe"}, {"Pair Return Code", L"Yes"}}));
    EXPECT_EQ(describe(launch(copy, std::nullopt, L"-nosplash", probeEnvironment(9), elsewhere)), "exit code 0");
    EXPECT_FALSE(probeCommandLine(0ms).has_value()) << "a paired launcher ran";
    // Moved to the executable's folder before the search, the launcher finds it.
    copy.writeSettings(settingsText(
        runtime, {{"Pair Product", L"pair.exe"}, {"Pair Return Code", L"Yes"}, {"Override WorkingDir", L"yes"}}));
    EXPECT_EQ(describe(launch(copy, std::nullopt, L"-nosplash", probeEnvironment(9), elsewhere)), "exit code 9");
}

TEST_F(PairedLauncher, PairThatCannotBeStartedEndsTheLaunchWithZero) {
    const LauncherCopy copy(L"app.exe");
    const std::wstring jrePath = homes_.makeFolder(L"x86");
    homes_.writeFile(L"x86\\bin\\server\\jvm.dll", peImageBytes(IMAGE_FILE_MACHINE_I386));
    copy.writeSettings(settingsText({{"JRE Path", jrePath}},
                                    {{"Pair Product", homes_ / L"missing.exe"}, {"Pair Return Code", L"Yes"}}));
    EXPECT_EQ(describe(launch(copy)), "exit code 0");
}

}  // namespace
}  // namespace jlaunch::test
