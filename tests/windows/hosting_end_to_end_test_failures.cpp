// The hosting through the real exe and the fake VM: every failure the user
// is told about with its exit code, System.exit, and how the VM is destroyed
// (by the teardown, or by the Java thread of a service) once its non-daemon
// threads have ended.
#include "hosting_end_to_end_test.h"

#include <tlhelp32.h>

namespace jlaunch::test::hosting {
namespace {

using fake_jvm::Step;
using fake_jvm::Trace;
using fake_jvm::Variant;

// The system error a library load or lookup leaves, as the launcher sees it.
std::wstring errorNumber(DWORD error) {
    return std::to_wstring(error);
}

// Nothing of the application ran, and the VM was not told to exit.
void expectMainNotRun(const Launch& launch) {
    EXPECT_FALSE(launch.trace.containsPrefix("MAIN-ENTER ")) << launch.report();
    EXPECT_FALSE(launch.trace.containsPrefix("SYSTEM-EXIT ")) << launch.report();
}

// The Java thread let go of the VM after its failure, so the teardown's
// DestroyJavaVM could end.
void expectDetachedAndDestroyed(const Launch& launch) {
    EXPECT_TRUE(launch.trace.contains("DetachCurrentThread thread=1 live-local-refs=0 -> 0")) << launch.report();
    EXPECT_TRUE(launch.trace.containsPrefix("DestroyJavaVM end ")) << launch.report();
}

// The launcher told the user itself: it left the VM no exception of its
// lookup to print as if the application had thrown it.
void expectNothingPendingAtDetach(const Launch& launch) {
    EXPECT_FALSE(launch.trace.containsPrefix("UNCAUGHT ")) << launch.report();
}

std::size_t indexOf(const Trace& trace, std::string_view prefix, std::size_t from = 0) {
    return trace.findPrefix(prefix, from).value_or(SIZE_MAX);
}

TEST_F(HostingLaunch, LibraryThatIsNoDllShowsMessage222WithItsPathAndTheSystemError) {
    files_.writeFile(L"textjre\\bin\\java.dll", "");
    const std::wstring library = files_.writeFile(L"textjre\\bin\\server\\jvm.dll", "not a DLL\r\n");
    settings_.set(kJre, L"JRE Path", files_.path() + L"\\textjre");
    // What loading it does here is what it does in the launcher.
    SetLastError(0);
    const HMODULE loaded = LoadLibraryExW(library.c_str(), nullptr, LOAD_LIBRARY_SEARCH_DEFAULT_DIRS);
    const DWORD error = GetLastError();
    ASSERT_EQ(loaded, nullptr);
    ASSERT_NE(error, 0u);

    const Launch launched = launch();
    expectFailure(launched, message(222, {library, errorNumber(error)}));
    EXPECT_TRUE(launched.trace.empty()) << launched.report();
}

TEST_F(HostingLaunch, LibraryWithoutDefaultInitArgsShowsMessage202WithTheTextOf212) {
    useJavaHome(Variant::NoDefaultArgs);
    const HMODULE library = LoadLibraryW(fake_jvm::fakeJvmDll(Variant::NoDefaultArgs).c_str());
    ASSERT_NE(library, nullptr);
    ASSERT_NE(GetProcAddress(library, "JNI_CreateJavaVM"), nullptr);
    SetLastError(0);
    ASSERT_EQ(GetProcAddress(library, "JNI_GetDefaultJavaVMInitArgs"), nullptr);
    const DWORD error = GetLastError();

    const Launch launched = launch();
    expectFailure(launched, message(202, {message(212), errorNumber(error)}));
    EXPECT_FALSE(launched.trace.containsPrefix("CreateJavaVM ")) << launched.report();
}

TEST_F(HostingLaunch, RefusedCreationShowsMessage203WithTheReasonOfItsResult) {
    // JNI_ERR .. JNI_EINVAL have the reasons 225 .. 230; others none.
    for (int result = -1; result >= -7; --result) {
        SCOPED_TRACE("create-result " + std::to_string(result));
        freshScript();
        script_.createResult(result);
        const std::wstring reason = result >= -6 ? message(static_cast<unsigned>(224 - result)) : std::wstring();
        const Launch launched = launch();
        expectFailure(launched, message(203, {message(213), reason}));
        EXPECT_TRUE(launched.trace.contains("CREATE-RESULT " + std::to_string(result))) << launched.report();
        expectMainNotRun(launched);
        EXPECT_FALSE(launched.trace.containsPrefix("DestroyJavaVM")) << launched.report();
        if (result == -7 && !launched.boxes.empty() && message(203).find(L"Reason: ") != std::wstring::npos) {
            const std::wstring& text = launched.boxes.front().text;
            const auto first = text.find(L'\n');
            EXPECT_EQ(text.substr(first + 1, text.find(L'\n', first + 1) - first - 1), L"Reason: .")
                << launched.report();
        }
    }

    // An option the VM does not know: creation fails, as unrecognised options are not ignored.
    freshScript();
    settings_.set(kJre, L"Virtual Machine Parameters", L"-Xmx64m -Xbogus");
    const Launch unknown = launch();
    // The VM's own words stand where the number's reason would.
    expectFailure(unknown, message(203, {message(213), L"Unrecognized option: -Xbogus"}));
    EXPECT_TRUE(unknown.trace.contains("UNRECOGNIZED -Xbogus")) << unknown.report();
}

TEST_F(HostingLaunch, MissingMainClassShowsMessage215HoweverTheClassIsLookedUp) {
    settings_.set(kJre, L"Main Class", L"com.acme.Missing");
    struct Case {
        const char* name;
        Variant variant;
        const char* helper;  // checkAndLoadMain's behaviour; nullptr: the script's default
    };
    for (const Case& c :
         {Case{"real launcher helper", Variant::Full, nullptr},
          Case{"helper returning classes", Variant::Full, "class"},
          Case{"helper returning null", Variant::Full, "null"}, Case{"no launcher helper", Variant::Full, "missing"},
          Case{"no boot loader lookup", Variant::NoFindClass, nullptr}}) {
        SCOPED_TRACE(c.name);
        freshScript();
        if (c.helper != nullptr) {
            script_.launcherHelper(c.helper);
        }
        useJavaHome(c.variant);
        const Launch launched = launch();
        expectFailure(launched, message(215, {L"com.acme.Missing"}));
        // A real helper would end the VM with status 1 and a console message nobody sees.
        expectMainNotRun(launched);
        expectDetachedAndDestroyed(launched);
        expectNothingPendingAtDetach(launched);
        expectJniDiscipline(launched);
    }
}

// The runtime's launcher helper judges main: what it says reaches the box
// (211); without the helper the launcher looks for main itself (216).
TEST_F(HostingLaunch, MainThatIsNotStaticOrMissingIsNamedByTheHelperOrMessage216) {
    const std::wstring define = L", please define the main method as:\n   public static void main(String[] args)";
    struct Case {
        const char* kind;
        std::wstring helperSays;
    };
    for (const Case& c :
         {Case{"instance", L"Error: Main method is not static in class com.acme.App" + define},
          Case{"none", L"Error: Main method not found in class com.acme.App" + define +
                           L"\nor a JavaFX application class must extend javafx.application.Application"}}) {
        SCOPED_TRACE(c.kind);
        for (const Variant variant : {Variant::Full, Variant::NoFindClass}) {
            SCOPED_TRACE(fake_jvm::variantFolder(variant));
            freshScript().main(c.kind);
            useJavaHome(variant);
            const Launch launched = launch();
            EXPECT_FALSE(launched.trace.containsPrefix("MAIN-ENTER ")) << launched.report();
            if (variant == Variant::Full) {
                // The helper ends the VM; the launcher says why on the way out.
                expectFailure(launched, message(211, {L"com.acme.App"}) + c.helperSays + L"\n");
                EXPECT_TRUE(launched.trace.contains("EXIT-HOOK 1")) << launched.report();
            } else {
                expectFailure(launched, message(216, {L"com.acme.App"}));
                expectMainNotRun(launched);
                expectDetachedAndDestroyed(launched);
                expectNothingPendingAtDetach(launched);
                expectJniDiscipline(launched);
            }
        }
    }
}

TEST_F(HostingLaunch, MainClassNameThatCannotBecomeAJavaStringShowsMessage211) {
    // Without String(char[]) no Java string can be made.
    script_.missingMethod("java/lang/String", "<init>", "([C)V");
    const Launch launched = launch();
    // The VM's own words follow the message.
    expectFailure(launched, message(211, {L"com.acme.App"}) + L"java.lang.NoSuchMethodError: <init>\n");
    expectMainNotRun(launched);
    expectDetachedAndDestroyed(launched);
    expectNothingPendingAtDetach(launched);
    expectJniDiscipline(launched);
}

TEST_F(HostingLaunch, SystemExitEndsTheProcessWithTheApplicationsStatus) {
    // A non-daemon thread still running does not hold the process.
    app().mainDoes(Step::nonDaemonThread(60000)).mainDoes(Step::exit(7));
    const Launch seven = launch();
    EXPECT_EQ(seven.exitCode, 7) << seven.report();
    EXPECT_TRUE(seven.boxes.empty()) << seven.report();
    EXPECT_LT(seven.duration, std::chrono::seconds(10)) << seven.report();
    const std::size_t exit = indexOf(seven.trace, "SYSTEM-EXIT 7 thread=1");
    const std::size_t hook = indexOf(seven.trace, "EXIT-HOOK 7");
    EXPECT_LT(exit, hook) << "the launcher's exit hook was called\n" << seven.report();
    EXPECT_NE(hook, SIZE_MAX) << seven.report();
    expectJniDiscipline(seven);

    freshScript().mainDoes(Step::exit(-1));
    const Launch minusOne = launch();
    EXPECT_EQ(minusOne.exitCode, -1) << minusOne.report();
    EXPECT_TRUE(minusOne.boxes.empty()) << minusOne.report();
    EXPECT_TRUE(minusOne.trace.contains("EXIT-HOOK -1")) << minusOne.report();
    expectJniDiscipline(minusOne);
}

// DestroyJavaVM began after main had returned and the Java thread had let
// go, waited for the non-daemon thread, and was called once.
void expectDestroyWaitedForTheThread(const Launch& launch) {
    const Trace& trace = launch.trace;
    const std::size_t returned = indexOf(trace, "MAIN-RETURN com/acme/App");
    const std::size_t detached = indexOf(trace, "DetachCurrentThread thread=1 ");
    const std::size_t begin = indexOf(trace, "DestroyJavaVM begin ");
    const std::size_t threadEnd = indexOf(trace, "NONDAEMON-END ");
    const std::size_t end = indexOf(trace, "DestroyJavaVM end ");
    ASSERT_NE(end, SIZE_MAX) << launch.report();
    EXPECT_LT(returned, detached) << launch.report();
    EXPECT_LT(detached, begin) << launch.report();
    EXPECT_LT(begin, threadEnd) << launch.report();
    EXPECT_LT(threadEnd, end) << launch.report();
    EXPECT_TRUE(trace.lines()[begin].ends_with(" nondaemon=1 attached-others=0")) << launch.report();
    EXPECT_EQ(trace.after("DestroyJavaVM ").size(), 2u) << "one DestroyJavaVM call\n" << launch.report();
    EXPECT_GE(launch.duration, std::chrono::milliseconds(500)) << launch.report();
}

TEST_F(HostingLaunch, TeardownWaitsInDestroyJavaVmForTheNonDaemonThreads) {
    app().mainDoes(Step::nonDaemonThread(500));
    const Launch launched = launch();
    expectCleanRun(launched);
    expectDestroyWaitedForTheThread(launched);
}

// The threads of a process, counted while DestroyJavaVM waits for the
// application's non-daemon thread; nothing when that wait was not seen.
std::optional<int> threadsWhileDestroying(const ChildProcess& child, const std::wstring& tracePath) {
    const auto deadline = std::chrono::steady_clock::now() + kLaunchTimeout;
    while (!Trace::read(tracePath).containsPrefix("DestroyJavaVM begin ")) {
        if (!child.running() || std::chrono::steady_clock::now() > deadline) {
            return std::nullopt;
        }
        Sleep(10);
    }
    // A thread that has just returned takes a moment to be gone.
    Sleep(200);
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE) {
        return std::nullopt;
    }
    int count = 0;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
        count += entry.th32OwnerProcessID == child.id() ? 1 : 0;
    }
    CloseHandle(snapshot);
    if (Trace::read(tracePath).containsPrefix("NONDAEMON-END ")) {
        return std::nullopt;  // counted too late
    }
    return count;
}

TEST_F(HostingLaunch, ServiceDestroysTheVmOnTheJavaThreadBeforeTheProcessEnds) {
    app().mainDoes(Step::nonDaemonThread(1200));
    std::optional<int> threads;
    whileRunning_ = [&threads](const ChildProcess& child, const std::wstring& tracePath) {
        threads = threadsWhileDestroying(child, tracePath);
    };
    // A desktop application: the Java thread has ended when the teardown destroys the VM.
    const Launch desktop = launch();
    expectCleanRun(desktop);
    expectDestroyWaitedForTheThread(desktop);
    const std::optional<int> desktopThreads = threads;

    settings_.set(kApplication, L"Application Type", L"service");
    const Launch service = launch();
    expectCleanRun(service);
    expectDestroyWaitedForTheThread(service);
    ASSERT_TRUE(desktopThreads.has_value() && threads.has_value()) << desktop.report() << service.report();
    EXPECT_EQ(*threads, *desktopThreads + 1)
        << "the Java thread of a service is alive while DestroyJavaVM waits: it made that call";
}

// A DLL that the VM library imports by name, planted beside the executable
// (a Downloads folder), is never the one loaded: the runtime's own comes
// from its bin folder.
TEST_F(HostingLaunch, DllsPlantedBesideTheExecutableAreNotLoaded) {
    useJavaHome(fake_jvm::Variant::Dependent);
    const std::wstring own =
        fake_jvm::fakeJavaHome(fake_jvm::Variant::Dependent) + L"\\bin\\jlaunch_runtime_dependency.dll";
    const std::wstring planted = copy_.exeFolder() + L"\\jlaunch_runtime_dependency.dll";
    ASSERT_TRUE(CopyFileW(own.c_str(), planted.c_str(), FALSE));
    const Launch launched = launch();
    expectCleanRun(launched);
    EXPECT_TRUE(launched.trace.contains("DEPENDENCY " + fake_jvm::escapeText(fake_jvm::toU16(own))))
        << launched.report();
}

}  // namespace
}  // namespace jlaunch::test::hosting
