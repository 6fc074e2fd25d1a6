// Single instance through the real exe and the fake VM: a first instance runs
// the application; later launches of the same executable hand it their
// arguments and end with what its secondaryMain answers. Each process traces
// to a file of its own, and every wait has a limit.
#include "hosting_end_to_end_test.h"

#include <cstring>
#include <map>
#include <thread>

#include "instance/argument_block.h"
#include "instance/single_instance.h"

namespace jlaunch::test::hosting {

namespace {

using fake_jvm::Script;
using fake_jvm::Step;
using fake_jvm::Trace;
using List = std::vector<std::wstring>;
using namespace std::chrono_literals;

std::wstring commandLine(const List& arguments) {
    std::wstring line;
    for (const std::wstring& argument : arguments) line += (line.empty() ? L"\"" : L" \"") + argument + L"\"";
    return line;
}

class SingleInstanceLaunch : public testing::Test {
protected:
    SingleInstanceLaunch() {
        settings_.set(kJre, L"JRE Path", fake_jvm::fakeJavaHome(fake_jvm::Variant::Full))
            .set(kJre, L"Main Class", L"com.acme.App")
            .set(kClassPath, L"Class Path", copy_.exeFolder() + L"\\app.jar")
            .set(kApplication, L"Single Instance", L"yes");
        later_.appClass("com/acme/App").secondaryMainReturningFirstArgument();
    }

    // The first instance's application, which lives on after main.
    fake_jvm::ScriptClass& firstApp() {
        first_ = Script();
        return first_.appClass("com/acme/App").mainDoes(Step::nonDaemonThread(30000));
    }
    // Starts a launch tracing to trace-<label>.txt.
    ChildProcess start(const std::wstring& label, const List& arguments, const Script& script,
                       const LauncherCopy& copy) {
        const std::wstring scriptPath = files_ / (L"script-" + label + L".txt");
        EXPECT_TRUE(script.writeTo(scriptPath));
        return copy.start(commandLine(arguments), {{fake_jvm::kScriptVariable, scriptPath},
                                                   {fake_jvm::kTraceVariable, files_ / (L"trace-" + label)}});
    }
    ChildProcess second(const std::wstring& label, const List& arguments) {
        return start(label, arguments, later_, copy_);
    }
    Trace trace(const std::wstring& label) const { return Trace::read(files_ / (L"trace-" + label)); }
    bool waitForTrace(const std::wstring& label, std::string_view prefix, std::size_t count = 1) const {
        for (auto end = std::chrono::steady_clock::now() + kLaunchTimeout; std::chrono::steady_clock::now() < end;
             Sleep(20)) {
            if (trace(label).after(prefix).size() >= count) return true;
        }
        return false;
    }
    // Once its application runs, or (`untilMain` false) once it creates its VM.
    ChildProcess startFirst(const std::wstring& label = L"first", bool untilMain = true) {
        copy_.writeSettings(settings_.bytes());
        ChildProcess first = start(label, {L"first"}, first_, copy_);
        EXPECT_TRUE(waitForTrace(label, untilMain ? "MAIN-ENTER " : "CreateJavaVM ")) << trace(label).dump();
        return first;
    }

    LauncherCopy copy_{L"app.exe"};
    TemporaryFolder files_;
    Settings settings_;
    Script first_;
    Script later_;
};

TEST_F(SingleInstanceLaunch, SettingsAndAnswersOfSecondaryMain) {
    const std::wstring tooLong(600, L'x');
    const struct {
        const wchar_t* value;
        const wchar_t* applicationType;
        const char* kind;  // of secondaryMain
        bool throws;
        List arguments;
        int exitCode;
        bool called;
        // More "Java Runtime Environment" settings: a jar or module naming the class itself.
        std::vector<std::pair<const wchar_t*, const wchar_t*>> jre = {};
    } cases[] = {
        {L"yes", L"", "int", false, {L"7", L"", L"\u00E9\u4E2D\U0001F600", L""}, 7, true},
        {L"yes", L"", "int", false, {}, 0, true},
        {L"yes", L"", "void", false, {L"7"}, 0, true},
        {L"yes", L"", "int", true, {L"7"}, -1, true},  // no answer is no success
        {L"yes", L"", "void", true, {L"7"}, 0, true},
        {L"yes", L"", "int", false, {L"7", tooLong}, -1, false},
        // Not single-instance: the launch runs its own application.
        {L"Yes", L"", "int", false, {L"7"}, 0, false},
        {L"true", L"", "int", false, {L"7"}, 0, false},
        {L"yes", L"service", "int", false, {L"7"}, 0, false},
        // No "Main Class": secondaryMain of the class the runtime's launcher helper returned.
        {L"yes", L"", "int", false, {L"7"}, 7, true, {{L"Main Jar", L"app.jar"}, {L"Main Class", L""}}},
        {L"yes",
         L"",
         "void",
         false,
         {L"8"},
         0,
         true,
         {{L"Main Module", L"com.acme.app/com.acme.App"}, {L"Main Class", L""}}},
    };
    // The double reads a jar's text as the class its manifest names.
    copy_.folder().writeFile(L"app.jar", "com.acme.App");
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(
            narrowForReport(std::wstring(c.value) + L" " + c.applicationType + L" " + commandLine(c.arguments)) + " " +
            c.kind + (c.throws ? " throwing" : ""));
        settings_.set(kApplication, L"Single Instance", c.value)
            .set(kApplication, L"Application Type", c.applicationType)
            .set(kJre, L"Main Class", L"com.acme.App")
            .set(kJre, L"Main Jar", L"")
            .set(kJre, L"Main Module", L"");
        for (const auto& [key, value] : c.jre) settings_.set(kJre, key, value);
        auto& app = firstApp();
        if (c.kind == std::string("int")) app.secondaryMainReturningFirstArgument();
        if (c.kind == std::string("void")) app.secondaryMain("void");
        if (c.throws) app.secondaryDoes(Step::throws("java/lang/IllegalStateException", L"boom"));
        const std::wstring label = std::to_wstring(n++);
        ChildProcess first = startFirst(L"first" + label);
        ChildProcess secondChild = second(L"second" + label, c.arguments);
        if (c.arguments.size() > 1 && c.arguments[1] == tooLong) {
            // Arguments that cannot be handed over are not lost silently: the box counts their bytes.
            HWND box = secondChild.waitForWindow(kWindowTimeout, L"#32770");
            ASSERT_NE(box, nullptr);
            const std::wstring text = readMessageBox(box).text;
            EXPECT_NE(text.find(L"1208"), std::wstring::npos) << narrowForReport(text);
            EXPECT_TRUE(sendCommand(box, IDOK));
        }
        EXPECT_EQ(secondChild.waitForExit(kLaunchTimeout), c.exitCode);
        // A void answer comes before the call.
        if (c.called) {
            EXPECT_TRUE(waitForTrace(L"first" + label, "SECONDARY-CALL "));
        }
        const auto calls = trace(L"first" + label).secondaryCalls();
        ASSERT_EQ(calls.size(), c.called ? 1u : 0u) << trace(L"first" + label).dump();
        if (c.called) {
            EXPECT_EQ(calls[0].arguments, c.arguments.empty() ? List{L""} : c.arguments);
        }
        // A forwarded launch starts no VM of its own.
        EXPECT_EQ(trace(L"second" + label).empty(), c.exitCode != 0 || c.called);
        EXPECT_TRUE(trace(L"first" + label).misuses().empty()) << trace(L"first" + label).dump();
    }
}

TEST_F(SingleInstanceLaunch, WaitsForMainOrForTheFirstInstancesEndAndOtherFoldersRunAlone) {
    // A launch while the first instance still starts is served once main is about to run.
    firstApp().secondaryMain("int", 7);
    first_.createDelay(1500);
    ChildProcess slow = startFirst(L"slow", false);
    EXPECT_EQ(second(L"early", {L"early"}).waitForExit(kLaunchTimeout), 7);
    const Trace lines = trace(L"slow");
    EXPECT_LT(lines.findPrefix("CREATE-RESULT 0").value_or(99999), lines.findPrefix("SECONDARY-CALL ").value_or(0))
        << lines.dump();
    slow.kill();

    // Without secondaryMain, the second instance ends at once with 0, and the first runs on.
    first_ = Script();
    first_.appClass("com/acme/App").mainDoes(Step::sleep(1500)).mainDoes(Step::exit(5));
    ChildProcess first = startFirst();
    EXPECT_EQ(second(L"unserved", {L"a"}).waitForExit(kLaunchTimeout), 0);
    EXPECT_EQ(first.waitForExit(kLaunchTimeout), 5);
    EXPECT_TRUE(trace(L"first").after("JNI ExceptionDescribe").empty()) << trace(L"first").dump();

    // The same file name in another folder is another application.
    LauncherCopy elsewhere(L"app.exe");
    elsewhere.writeSettings(settings_.bytes());
    EXPECT_EQ(start(L"elsewhere", {L"other"}, later_, elsewhere).waitForExit(kLaunchTimeout), 0);
    EXPECT_EQ(trace(L"elsewhere").mainArguments(), List{L"other"}) << trace(L"elsewhere").dump();
}

// Without secondaryMain a later launch brings the running application's
// window to the front (it allows the first instance the foreground) and
// ends with 0; the first instance prints nothing about it.
TEST_F(SingleInstanceLaunch, WithoutSecondaryMainTheRunningWindowComesToTheFront) {
    first_ = Script();
    first_.appClass("com/acme/App").mainDoes(Step::window(L"Running app")).mainDoes(Step::nonDaemonThread(30000));
    ChildProcess first = startFirst();
    ASSERT_TRUE(waitForTrace(L"first", "WINDOW-SHOWN")) << trace(L"first").dump();
    HWND running = FindWindowW(nullptr, L"Running app");
    ASSERT_NE(running, nullptr);
    // Another window of this test's own takes the front first.
    HWND other = CreateWindowExW(0, L"STATIC", L"Other", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 100, 100, nullptr,
                                 nullptr, nullptr, nullptr);
    ASSERT_NE(other, nullptr);
    SetForegroundWindow(other);
    ASSERT_EQ(GetForegroundWindow(), other);
    const std::size_t activations = trace(L"first").after("WINDOW-ACTIVATED").size();
    EXPECT_EQ(second(L"second", {L"file.txt"}).waitForExit(kLaunchTimeout), 0);
    EXPECT_TRUE(waitForTrace(L"first", "WINDOW-ACTIVATED", activations + 1)) << trace(L"first").dump();
    EXPECT_EQ(GetForegroundWindow(), running);
    EXPECT_TRUE(trace(L"first").after("JNI ExceptionDescribe").empty()) << trace(L"first").dump();
    EXPECT_TRUE(trace(L"first").misuses().empty()) << trace(L"first").dump();
    DestroyWindow(other);
    first.kill();
}

// "Restart Code": each run that ends with it starts the next in a new
// process, which becomes the first instance again once the ending one is
// gone, with the same arguments; ten restarts in a row at most.
TEST_F(SingleInstanceLaunch, RestartCodeStartsTheApplicationAgainAsTheNextFirstInstance) {
    settings_.set(kApplication, L"Restart Code", L"7");
    copy_.writeSettings(settings_.bytes());
    first_ = Script();
    first_.appClass("com/acme/App").mainDoes(Step::exit(7));
    const std::wstring scriptPath = files_ / L"script-restart.txt";
    ASSERT_TRUE(first_.writeTo(scriptPath));
    const std::wstring launcherTrace = files_ / L"launcher-trace.txt";
    ChildProcess first =
        copy_.start(commandLine({L"a", L"b c"}), {{fake_jvm::kScriptVariable, scriptPath},
                                                  {fake_jvm::kTraceVariable, files_ / L"trace-restart"},
                                                  {L"JLAUNCH_TRACE", launcherTrace}});
    EXPECT_EQ(first.waitForExit(kLaunchTimeout), 7);
    // The last run's trace says the limit stopped it.
    bool limited = false;
    for (auto end = std::chrono::steady_clock::now() + 90s; !limited && std::chrono::steady_clock::now() < end;
         Sleep(50)) {
        limited = readFileBytes(launcherTrace).value_or("").find("10 times in a row: not again") != std::string::npos;
    }
    ASSERT_TRUE(limited) << readFileBytes(launcherTrace).value_or("(no trace)");
    const Trace runs = trace(L"restart");
    EXPECT_EQ(runs.after("MAIN-ENTER ").size(), 11u) << runs.dump();
    EXPECT_EQ(runs.after("ARG 1 ").size(), 11u) << runs.dump();
    EXPECT_EQ(runs.mainArguments(), (List{L"a", L"b c"}));
    EXPECT_TRUE(runs.misuses().empty()) << runs.dump();
}

// A next run that cannot start (its program was renamed away meanwhile)
// leaves the run's own code, and the trace says why.
TEST_F(SingleInstanceLaunch, RestartThatCannotStartEndsWithTheRunsCodeAndTracesTheSystemError) {
    settings_.set(kApplication, L"Restart Code", L"7");
    const std::wstring go = files_ / L"go";
    first_ = Script();
    first_.createWaitFile(go).appClass("com/acme/App").mainDoes(Step::exit(7));
    const std::wstring launcherTrace = files_ / L"launcher-trace.txt";
    const EnvironmentScope tracing(L"JLAUNCH_TRACE", launcherTrace);
    ChildProcess first = startFirst(L"first", false);
    ASSERT_TRUE(MoveFileW(copy_.exePath().c_str(), (copy_.exePath() + L".moved").c_str())) << GetLastError();
    files_.writeFile(L"go", "");
    EXPECT_EQ(first.waitForExit(kLaunchTimeout), 7);
    const std::string traced = readFileBytes(launcherTrace).value_or("(no trace)");
    EXPECT_NE(traced.find("the application could not be started again: system error 2 ("), std::string::npos) << traced;
    EXPECT_EQ(trace(L"first").after("MAIN-ENTER ").size(), 1u) << trace(L"first").dump();
}

TEST_F(SingleInstanceLaunch, TwentySecondInstancesAtOnceAreEachServedOnceWithTheirOwnCode) {
    // They all forward while the first instance still starts, so their
    // arguments wait side by side until main.
    firstApp().secondaryMainReturningFirstArgument();
    first_.createDelay(2000);
    ChildProcess first = startFirst(L"first", false);
    std::vector<ChildProcess> seconds;
    seconds.reserve(20);
    for (int i = 0; i < 20; ++i) {
        seconds.push_back(
            second(L"second" + std::to_wstring(i), {std::to_wstring(100 + i), L"\u20AC " + std::to_wstring(i)}));
    }
    std::map<List, int> calls;
    for (int i = 0; i < 20; ++i) {
        EXPECT_EQ(seconds[static_cast<std::size_t>(i)].waitForExit(60s), 100 + i) << "second instance " << i;
        calls[{std::to_wstring(100 + i), L"\u20AC " + std::to_wstring(i)}] = 0;
    }
    for (const auto& call : trace(L"first").secondaryCalls()) ++calls[call.arguments];
    EXPECT_EQ(calls.size(), 20u) << trace(L"first").dump();
    for (const auto& [arguments, count] : calls) EXPECT_EQ(count, 1) << narrowForReport(commandLine(arguments));
}

TEST_F(SingleInstanceLaunch, KillingTheFirstInstanceHalfWayLeavesNoSecondInstanceWaiting) {
    firstApp().secondaryMainReturningFirstArgument().secondaryDoes(Step::sleep(100));
    ChildProcess first = startFirst();
    std::vector<ChildProcess> seconds;
    seconds.reserve(20);
    for (int i = 0; i < 20; ++i) seconds.push_back(second(L"second" + std::to_wstring(i), {std::to_wstring(100 + i)}));
    EXPECT_TRUE(waitForTrace(L"first", "SECONDARY-CALL ", 5));
    first.kill();
    std::map<List, int> served;
    for (const auto& call : trace(L"first").secondaryCalls()) ++served[call.arguments];
    std::vector<std::int32_t> codes;
    bool anyRanItself = false;
    for (int i = 0; i < 20; ++i) {
        const auto code = seconds[static_cast<std::size_t>(i)].waitForExit(60s);
        ASSERT_TRUE(code.has_value()) << "second instance " << i << " still waits";
        codes.push_back(*code);
        anyRanItself = anyRanItself || trace(L"second" + std::to_wstring(i)).mainArguments().has_value();
        for (const auto& call : trace(L"second" + std::to_wstring(i)).secondaryCalls()) ++served[call.arguments];
    }
    for (int i = 0; i < 20; ++i) {
        // Its answer, -1 for a killed first instance's silence (whatever code
        // the system reports for it), or 0: the main of a later launch that
        // became the next first instance ended with 0, and it answers the
        // launches it took with that code as it ends (or it was that launch).
        const std::int32_t code = codes[static_cast<std::size_t>(i)];
        EXPECT_TRUE(code == 100 + i || code == -1 || (code == 0 && anyRanItself)) << i << ": " << code;
    }
    for (const auto& [arguments, count] : served) EXPECT_EQ(count, 1) << narrowForReport(commandLine(arguments));
}

// The shared block as another process sees it.
struct BlockView {
    explicit BlockView(const std::wstring& name)
        : mapping(CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kSharedBlockSize, name.c_str())),
          bytes(static_cast<std::uint8_t*>(MapViewOfFile(mapping.get(), FILE_MAP_WRITE, 0, 0, kSharedBlockSize))) {}
    ~BlockView() { UnmapViewOfFile(bytes); }
    BlockView(const BlockView&) = delete;
    BlockView& operator=(const BlockView&) = delete;
    DWORD& field(std::size_t offset) const { return *reinterpret_cast<DWORD*>(bytes + offset); }

    UniqueHandle mapping;
    std::uint8_t* bytes;
};

TEST(SingleInstanceBlock, OlderSecondInstancesAreUnderstoodDeadFirstInstancesReplacedAndTurnsLimited) {
    const std::wstring executable = L"C:\\jlt-si\\" + std::to_wstring(GetCurrentProcessId()) + L"\\app.exe";
    const BlockView block(instanceName(executable));
    ASSERT_NE(block.bytes, nullptr);
    // What a killed first instance leaves: a listener id whose thread has ended.
    std::thread([&block] { block.field(kListenerThreadIdOffset) = GetCurrentThreadId(); }).join();
    block.field(kOwnerProcessIdOffset) = GetCurrentProcessId();
    List received;
    SingleInstance first;
    ASSERT_TRUE(first.setup(executable, {}));
    ASSERT_EQ(first.role(), InstanceRole::First);
    first.markStarted([&received](const List& arguments, const AnswerFunction& answer) {
        received = arguments;
        answer(7);
        return true;
    });

    // An older build forwards without taking turns: the block, then the message.
    std::memcpy(block.bytes + kArgumentsOffset, L"old\0build\0", 22);
    MSG message;
    PeekMessageW(&message, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
    const UINT messageId = block.field(kMessageIdOffset);
    ASSERT_TRUE(PostThreadMessageW(block.field(kListenerThreadIdOffset), messageId, GetCurrentThreadId(), 0));
    bool answered = false;
    for (auto end = std::chrono::steady_clock::now() + kLaunchTimeout;
         !answered && std::chrono::steady_clock::now() < end; Sleep(10)) {
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
            answered |= message.message == messageId && message.wParam == 7;
    }
    EXPECT_TRUE(answered);
    EXPECT_EQ(received, (List{L"old", L"build"}));

    // A second instance that hangs while it holds the turn holds the next one up only so long.
    const UniqueHandle turn(CreateMutexW(nullptr, FALSE, (instanceName(executable) + L"_fwd_mtx").c_str()));
    ASSERT_EQ(WaitForSingleObject(turn.get(), 0), WAIT_OBJECT_0);
    bool handedOver = true;
    std::thread([&] { handedOver = SingleInstance().setup(executable, {L"a"}, 300ms); }).join();
    EXPECT_FALSE(handedOver);
    ReleaseMutex(turn.get());
}

}  // namespace

}  // namespace jlaunch::test::hosting
