// The shared driver of the end-to-end launches through the real exe and the
// fake VM (hosting_end_to_end_test.h): settings files, the launch that answers
// what the launcher shows, and the common expectations.
#include "hosting_end_to_end_test.h"
#include "message_texts.h"

#include <algorithm>
#include <map>

namespace jlaunch::test::hosting {

using fake_jvm::Script;
using fake_jvm::ScriptClass;
using fake_jvm::Trace;
using fake_jvm::Variant;

namespace {

// The texts of the message table's language that the launcher picks: the
// system's, else one of the same primary language, else English.
std::map<unsigned, std::wstring> messageTable() {
    const LANGID system = GetSystemDefaultLangID();
    LANGID chosen = 1033;
    for (const LANGID shipped : std::initializer_list<LANGID>{1033, 1031, 1036, 1038, 1040, 2070, 3082}) {
        if (shipped == system) {
            chosen = shipped;
            break;
        }
        if (PRIMARYLANGID(shipped) == PRIMARYLANGID(system)) {
            chosen = shipped;
        }
    }
    return messageTexts(chosen);
}

bool isMessageBox(HWND window) {
    return GetDlgItem(window, 0xFFFF) != nullptr;
}

bool isExceptionDialog(HWND window) {
    return !isMessageBox(window) && GetDlgItem(window, 208) != nullptr;
}

// An answered window takes a moment to go; until then it would be found again.
void waitUntilGone(HWND window) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (IsWindow(window) && IsWindowVisible(window) && std::chrono::steady_clock::now() < deadline) {
        Sleep(10);
    }
}

}  // namespace

std::wstring message(unsigned id, const std::vector<std::wstring>& arguments) {
    static const std::map<unsigned, std::wstring> table = messageTable();
    const auto found = table.find(id);
    if (found == table.end()) {
        ADD_FAILURE() << "no message " << id;
        return {};
    }
    const std::wstring& format = found->second;
    std::wstring text;
    std::size_t next = 0;
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] == L'%' && i + 1 < format.size() && (format[i + 1] == L's' || format[i + 1] == L'd')) {
            text += next < arguments.size() ? arguments[next] : std::wstring();
            ++next;
            ++i;
        } else {
            text.push_back(format[i]);
        }
    }
    return text;
}

std::string ansi(std::wstring_view text) {
    if (text.empty()) {
        return {};
    }
    const int size = static_cast<int>(text.size());
    const int length = WideCharToMultiByte(CP_ACP, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.data(), size, out.data(), length, nullptr, nullptr);
    return out;
}

std::string shown(std::wstring_view text) {
    return "\"" + narrowForReport(text) + "\"";
}

Settings& Settings::set(const std::wstring& section, const std::wstring& key, const std::wstring& value) {
    for (Entry& entry : entries_) {
        if (entry.section == section && entry.key == key) {
            entry.value = value;
            return *this;
        }
    }
    entries_.push_back({section, key, value});
    return *this;
}

Settings& Settings::remove(const std::wstring& section, const std::wstring& key) {
    std::erase_if(entries_, [&](const Entry& entry) { return entry.section == section && entry.key == key; });
    return *this;
}

std::string Settings::bytes() const {
    std::vector<std::wstring> sections;
    for (const Entry& entry : entries_) {
        if (std::find(sections.begin(), sections.end(), entry.section) == sections.end()) {
            sections.push_back(entry.section);
        }
    }
    std::wstring text;
    for (const std::wstring& section : sections) {
        text += L"[" + section + L"]\r\n";
        for (const Entry& entry : entries_) {
            if (entry.section == section) {
                text += entry.key + L"=" + entry.value + L"\r\n";
            }
        }
    }
    return utf16Bytes(text);
}

std::string Launch::report() const {
    std::string text = "exit code: " + (exitCode ? std::to_string(*exitCode) : std::string("none (killed)")) + "\n";
    for (const MessageBoxView& box : boxes) {
        text += "message box: " + describe(box) + "\n";
    }
    for (const std::wstring& stackTrace : stackTraces) {
        text += "exception dialog: " + shown(stackTrace) + "\n";
    }
    for (const std::wstring& other : otherWindows) {
        text += "other window: " + narrowForReport(other) + "\n";
    }
    if (!blocking.empty()) {
        text += "still showing: " + narrowForReport(blocking) + "\n";
    }
    return text + "trace:\n" + trace.dump();
}

HostingLaunch::HostingLaunch() {
    freshScript();
    settings_.set(kJre, L"JRE Path", fake_jvm::fakeJavaHome(Variant::Full))
        .set(kJre, L"Main Class", L"com.acme.App")
        .set(kClassPath, L"Class Path", copy_.exeFolder() + L"\\app.jar");
}

ScriptClass& HostingLaunch::freshScript() {
    script_ = Script();
    app_ = &script_.appClass("com/acme/App");
    return *app_;
}

void HostingLaunch::useJavaHome(Variant variant) {
    settings_.set(kJre, L"JRE Path", fake_jvm::fakeJavaHome(variant));
}

Launch HostingLaunch::launch(const std::wstring& arguments, const EnvironmentChanges& environment,
                             const DialogAnswer& answer) {
    Launch result;
    if (stuck_) {
        ADD_FAILURE() << "launch skipped: an earlier launch of this test did not end";
        return result;
    }
    const std::wstring scriptPath = files_ / L"script.txt";
    const std::wstring tracePath = files_ / L"trace.txt";
    DeleteFileW(tracePath.c_str());
    copy_.writeSettings(settings_.bytes());
    EXPECT_TRUE(script_.writeTo(scriptPath));
    EnvironmentChanges changes = {{fake_jvm::kScriptVariable, scriptPath},
                                  {fake_jvm::kTraceVariable, tracePath},
                                  {L"Path", std::wstring(kOriginalPath)}};
    changes.insert(changes.end(), environment.begin(), environment.end());

    const auto start = std::chrono::steady_clock::now();
    ChildProcess child = copy_.start(arguments, changes);
    if (!child.started()) {
        ADD_FAILURE() << "the launcher copy did not start: system error " << child.startError();
        return result;
    }
    if (whileRunning_) {
        whileRunning_(child, tracePath);
    }
    // A bound, so that a window that cannot be answered ends the loop.
    for (int answered = 0; answered < 10; ++answered) {
        HWND window = child.waitForWindow(kLaunchTimeout);
        if (window == nullptr) {
            break;
        }
        if (isMessageBox(window)) {
            result.boxes.push_back(readMessageBox(window));
            EXPECT_TRUE(clickButton(window, IDOK)) << describe(result.boxes.back());
        } else if (isExceptionDialog(window)) {
            result.stackTraces.push_back(windowText(GetDlgItem(window, 208)));
            if (answer) {
                answer(window);
            } else {
                EXPECT_TRUE(clickButton(window, IDOK));
            }
        } else {
            result.otherWindows.push_back(L"[" + windowClassName(window) + L"] " + windowText(window));
            PostMessageW(window, WM_CLOSE, 0, 0);
        }
        waitUntilGone(window);
    }
    result.exitCode = child.waitForExit(kLaunchTimeout);
    stuck_ = !result.exitCode.has_value();
    result.duration = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    result.blocking = child.blockingWindows();
    result.trace = Trace::read(tracePath);
    return result;
}

void HostingLaunch::expectJniDiscipline(const Launch& launch) {
    const Trace& trace = launch.trace;
    EXPECT_TRUE(trace.misuses().empty()) << launch.report();
    EXPECT_FALSE(trace.containsPrefix("LEAK ")) << launch.report();
    EXPECT_FALSE(trace.containsPrefix("UNEXPECTED ")) << launch.report();
    EXPECT_FALSE(trace.containsPrefix("SCRIPT-ERROR ")) << launch.report();
}

void HostingLaunch::expectCleanRun(const Launch& launch) {
    EXPECT_EQ(launch.exitCode, 0) << launch.report();
    EXPECT_TRUE(launch.boxes.empty() && launch.stackTraces.empty() && launch.otherWindows.empty()) << launch.report();
    const Trace& trace = launch.trace;
    EXPECT_TRUE(trace.containsPrefix("MAIN-ENTER com/acme/App ")) << launch.report();
    EXPECT_TRUE(trace.contains("MAIN-RETURN com/acme/App")) << launch.report();
    EXPECT_TRUE(trace.contains("DetachCurrentThread thread=1 live-local-refs=0 -> 0")) << launch.report();
    EXPECT_TRUE(trace.containsPrefix("DestroyJavaVM end ")) << launch.report();
    expectJniDiscipline(launch);
}

void HostingLaunch::expectFailure(const Launch& launch, const std::wstring& text) {
    ASSERT_EQ(launch.boxes.size(), 1u) << "expected one message box with " << shown(text) << "\n" << launch.report();
    EXPECT_EQ(launch.boxes.front().text, text) << launch.report();
    EXPECT_TRUE(launch.stackTraces.empty() && launch.otherWindows.empty()) << launch.report();
    EXPECT_EQ(launch.exitCode, -1) << launch.report();
}

}  // namespace jlaunch::test::hosting
