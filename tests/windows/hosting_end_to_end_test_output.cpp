// The hosting through the real exe and the fake VM: System.out and
// System.err redirected to files, and the dialog that shows an exception
// thrown by main and lets the user ignore it or stop the application.
#include "hosting_end_to_end_test.h"

#include <cwchar>

namespace jlaunch::test::hosting {
namespace {

using fake_jvm::Step;

// Today's date as yyyyMMdd.
std::wstring today() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    wchar_t text[16] = {};
    swprintf(text, 16, L"%04u%02u%02u", now.wYear, now.wMonth, now.wDay);
    return text;
}

// The file of the output picture "out_%yyyyMMdd%.log" that a launch made,
// given the days before and after it (it may have run over midnight).
std::wstring datedFile(const std::wstring& folder, const std::wstring& before, const std::wstring& after) {
    const std::wstring later = folder + L"\\out_" + after + L".log";
    return GetFileAttributesW(later.c_str()) != INVALID_FILE_ATTRIBUTES ? later : folder + L"\\out_" + before + L".log";
}

TEST_F(HostingLaunch, OutputAndErrorFilesReceiveTheStreamsInNewFoldersAppendingOnlyForLowerCaseYes) {
    const std::wstring outFolder = files_.path() + L"\\logs\\deep";
    const std::wstring errorFile = files_.path() + L"\\errs\\err.log";
    settings_.set(kApplication, L"Output File", files_.path() + L"\\logs\\deep\\out_%yyyyMMdd%.log")
        .set(kApplication, L"Output Append", L"yes")
        .set(kApplication, L"Error File", L"%JLT_ERRS%\\err.log");
    const EnvironmentChanges environment = {{L"JLT_ERRS", files_.path() + L"\\errs"}};

    // The folders do not exist yet.
    app().mainDoes(Step::printOut(L"first \u00e4")).mainDoes(Step::printErr(L"oops 1"));
    std::wstring before = today();
    const Launch first = launch({}, environment);
    std::wstring outFile = datedFile(outFolder, before, today());
    expectCleanRun(first);
    EXPECT_EQ(readFileBytes(outFile), "first \xC3\xA4\r\n") << narrowForReport(outFile) << "\n" << first.report();
    EXPECT_EQ(readFileBytes(errorFile), "oops 1\r\n") << first.report();
    EXPECT_TRUE(first.trace.contains("SETOUT PrintStream(FileOutputStream(" +
                                     fake_jvm::escapeText(fake_jvm::toU16(outFile)) + ",append=true))"))
        << first.report();
    EXPECT_TRUE(first.trace.contains("SETERR PrintStream(FileOutputStream(" +
                                     fake_jvm::escapeText(fake_jvm::toU16(errorFile)) + ",append=false))"))
        << first.report();
    // Redirected before the application's first line.
    EXPECT_LT(first.trace.findPrefix("SETOUT ").value_or(SIZE_MAX), first.trace.findPrefix("MAIN-ENTER ").value())
        << first.report();

    // "yes" appends; the error file, without "Error Append", starts over.
    freshScript().mainDoes(Step::printOut(L"second")).mainDoes(Step::printErr(L"oops 2"));
    before = today();
    const Launch second = launch({}, environment);
    outFile = datedFile(outFolder, before, today());
    expectCleanRun(second);
    if (before == today()) {
        EXPECT_EQ(readFileBytes(outFile), "first \xC3\xA4\r\nsecond\r\n") << second.report();
    }
    EXPECT_EQ(readFileBytes(errorFile), "oops 2\r\n") << second.report();

    // "Yes" is not "yes": the output file starts over too.
    settings_.set(kApplication, L"Output Append", L"Yes");
    freshScript().mainDoes(Step::printOut(L"third"));
    before = today();
    const Launch third = launch({}, environment);
    outFile = datedFile(outFolder, before, today());
    expectCleanRun(third);
    EXPECT_EQ(readFileBytes(outFile), "third\r\n") << third.report();
    EXPECT_EQ(readFileBytes(errorFile), "") << third.report();
}

TEST_F(HostingLaunch, OutputFileThatCannotBeOpenedLeavesTheStreamAndTheLaunchGoesOn) {
    // A folder where the file should be: FileOutputStream throws.
    files_.makeFolder(L"taken.log");
    settings_.set(kApplication, L"Output File", files_.path() + L"\\taken.log");
    app().mainDoes(Step::printOut(L"still here"));
    const Launch launched = launch();
    expectCleanRun(launched);
    EXPECT_FALSE(launched.trace.containsPrefix("SETOUT ")) << launched.report();
    EXPECT_TRUE(launched.trace.contains("OUT still here\\r\\n")) << launched.report();
}

const std::wstring kStackTrace =
    L"java.lang.IllegalStateException: boom \u00e9\r\n\tat com.acme.App.run(App.java:12)\r\n"
    L"\tat com.acme.App.main(App.java:7)\r\n";

class HostingExceptionDialog : public HostingLaunch {
protected:
    HostingExceptionDialog() {
        settings_.set(kApplication, L"Failure Check", L"yes");
        throwingMain(500);
    }

    // main leaves a non-daemon thread of `threadMs` behind, then throws.
    void throwingMain(int threadMs) {
        freshScript()
            .mainDoes(Step::nonDaemonThread(threadMs))
            .mainDoes(Step::throws("java/lang/IllegalStateException", kStackTrace));
    }

    // The dialog as the user sees it: the trace, read-only, and both buttons.
    static void expectDialog(HWND dialog) {
        EXPECT_EQ(windowClassName(dialog), L"#32770");
        const HWND text = GetDlgItem(dialog, 208);
        EXPECT_NE(GetWindowLongPtrW(text, GWL_STYLE) & ES_READONLY, 0);
        EXPECT_NE(GetDlgItem(dialog, IDOK), nullptr) << "no Ignore button";
        EXPECT_NE(GetDlgItem(dialog, IDCANCEL), nullptr) << "no Stop button";
    }

    // Stopped: System.exit(-1) through the exit hook, whatever still runs.
    static void expectStopped(const Launch& launch) {
        ASSERT_EQ(launch.stackTraces.size(), 1u) << launch.report();
        EXPECT_EQ(launch.stackTraces.front(), kStackTrace) << launch.report();
        EXPECT_EQ(launch.exitCode, -1) << launch.report();
        EXPECT_TRUE(launch.trace.contains("SYSTEM-EXIT -1 thread=1")) << launch.report();
        EXPECT_TRUE(launch.trace.contains("EXIT-HOOK -1")) << launch.report();
        EXPECT_FALSE(launch.trace.containsPrefix("NONDAEMON-END ")) << launch.report();
        expectJniDiscipline(launch);
    }
};

TEST_F(HostingExceptionDialog, ShowsTheStackTraceAndIgnoreLetsTheApplicationRunToItsEnd) {
    const Launch launched = launch({}, {}, [](HWND dialog) {
        expectDialog(dialog);
        EXPECT_TRUE(clickButton(dialog, IDOK));
    });
    ASSERT_EQ(launched.stackTraces.size(), 1u) << launched.report();
    EXPECT_EQ(launched.stackTraces.front(), kStackTrace) << launched.report();
    EXPECT_EQ(launched.exitCode, 0) << launched.report();
    EXPECT_TRUE(launched.boxes.empty()) << launched.report();
    EXPECT_TRUE(launched.trace.contains("MAIN-THROW com/acme/App java/lang/IllegalStateException"))
        << launched.report();
    EXPECT_FALSE(launched.trace.containsPrefix("SYSTEM-EXIT ")) << launched.report();
    // The thread the application left running still ends the process.
    const auto threadEnd = launched.trace.findPrefix("NONDAEMON-END ");
    const auto destroyed = launched.trace.findPrefix("DestroyJavaVM end ");
    ASSERT_TRUE(threadEnd && destroyed) << launched.report();
    EXPECT_LT(*threadEnd, *destroyed) << launched.report();
    EXPECT_TRUE(launched.trace.contains("DetachCurrentThread thread=1 live-local-refs=0 -> 0")) << launched.report();
    expectJniDiscipline(launched);
}

TEST_F(HostingExceptionDialog, StopButtonEscapeAndCloseEndTheApplicationWithMinusOne) {
    throwingMain(60000);
    struct Way {
        const char* name;
        DialogAnswer answer;
    };
    const std::vector<Way> ways = {
        {"Stop clicked", [](HWND dialog) { EXPECT_TRUE(clickButton(dialog, IDCANCEL)); }},
        {"IDCANCEL command", [](HWND dialog) { EXPECT_TRUE(sendCommand(dialog, IDCANCEL)); }},
        // The Escape key, as the dialog manager of the modal loop gets it.
        {"Escape key",
         [](HWND dialog) {
             const HWND focus = GetDlgItem(dialog, IDOK);
             EXPECT_TRUE(PostMessageW(focus, WM_KEYDOWN, VK_ESCAPE, 0x00010001));
             PostMessageW(focus, WM_KEYUP, VK_ESCAPE, static_cast<LPARAM>(0xC0010001u));
         }},
        {"close box", [](HWND dialog) { EXPECT_TRUE(PostMessageW(dialog, WM_CLOSE, 0, 0)); }},
    };
    for (const Way& way : ways) {
        SCOPED_TRACE(way.name);
        const Launch launched = launch({}, {}, way.answer);
        expectStopped(launched);
        EXPECT_LT(launched.duration, std::chrono::seconds(10)) << launched.report();
    }
}

TEST_F(HostingExceptionDialog, WithoutFailureCheckAThrowingMainEndsWithExitCodeOne) {
    throwingMain(100);
    for (const std::optional<std::wstring>& value :
         {std::optional<std::wstring>(), std::optional<std::wstring>(L"no")}) {
        SCOPED_TRACE(value ? narrowForReport(*value) : "no Failure Check");
        if (value) {
            settings_.set(kApplication, L"Failure Check", *value);
        } else {
            settings_.remove(kApplication, L"Failure Check");
        }
        const Launch launched = launch();
        EXPECT_TRUE(launched.stackTraces.empty()) << launched.report();
        EXPECT_TRUE(launched.boxes.empty()) << launched.report();
        // As the Java runtime's own launcher: the VM describes it at detach, the process ends with 1.
        EXPECT_EQ(launched.exitCode, 1) << launched.report();
        EXPECT_TRUE(launched.trace.contains("MAIN-THROW com/acme/App java/lang/IllegalStateException"))
            << launched.report();
        EXPECT_TRUE(launched.trace.containsPrefix("UNCAUGHT thread=1 java/lang/IllegalStateException"))
            << launched.report();
        EXPECT_FALSE(launched.trace.containsPrefix("SYSTEM-EXIT ")) << launched.report();
        EXPECT_TRUE(launched.trace.containsPrefix("DestroyJavaVM end ")) << launched.report();
        expectJniDiscipline(launched);
    }
}

}  // namespace
}  // namespace jlaunch::test::hosting
