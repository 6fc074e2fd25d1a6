// Faults a new user met on a first run, through the real exe and the fake VM:
// an exception out of main that ended with 0, a main class whose load error
// was thrown away, and an output file in a relative folder never created. (A
// missing "Maximum Version" and a missing settings file are run by
// jvm_search_test.cpp and launcher_end_to_end_test.cpp, which own the
// registry and the settings file.)
#include "hosting_end_to_end_test.h"

namespace jlaunch::test::hosting {
namespace {

using fake_jvm::Step;

struct Fault {
    const char* name;
    std::vector<std::pair<std::wstring, std::wstring>> application;  // keys of section "Application"
    std::function<void(fake_jvm::ScriptClass& app)> script;
    std::int32_t exitCode;
    unsigned message;    // of the one box shown, with the class name; 0: none
    std::wstring cause;  // the line below the message
    std::wstring file;   // below the copy's folder, holding `text`
    std::string text;
};

const std::wstring kNewer =
    L"java.lang.UnsupportedClassVersionError: com/acme/App has been compiled by a more recent version of the Java "
    L"Runtime (class file version 69.0), this version of the Java Runtime only recognizes class file versions up to "
    L"61.0";

const std::vector<Fault>& faults() {
    static const std::vector<Fault> table = {
        {"ExceptionOutOfMainEndsWithOne",
         {{L"Error File", L"err.log"}},
         [](fake_jvm::ScriptClass& app) {
             app.mainDoes(
                 Step::throws("java/lang/IllegalStateException", L"java.lang.IllegalStateException: boom\r\n"));
         },
         1,
         0,
         L"",
         L"err.log",
         "Exception in thread \"main\" java.lang.IllegalStateException: boom"},
        {"ClassForANewerJava",
         {},
         [](fake_jvm::ScriptClass& app) {
             app.loadError("java/lang/UnsupportedClassVersionError", kNewer + L"\r\n\tat java.base/Native Method\r\n");
         },
         -1,
         215,
         kNewer,
         L"",
         ""},
        {"ClassWithoutItsSuperclass",
         {},
         [](fake_jvm::ScriptClass& app) {
             app.loadError("java/lang/NoClassDefFoundError", L"java.lang.NoClassDefFoundError: com/acme/Base\r\n");
         },
         -1,
         215,
         L"java.lang.NoClassDefFoundError: com/acme/Base",
         L"",
         ""},
        {"OutputFileInARelativeFolder",
         {{L"Output File", L"logs\\sub\\out.log"}},
         [](fake_jvm::ScriptClass& app) { app.mainDoes(Step::printOut(L"to the file")); },
         0,
         0,
         L"",
         L"logs\\sub\\out.log",
         "to the file\r\n"},
    };
    return table;
}

class FirstRunFaults : public HostingLaunch, public ::testing::WithParamInterface<Fault> {};

TEST_P(FirstRunFaults, AreMended) {
    const Fault& fault = GetParam();
    for (const auto& [key, value] : fault.application) {
        settings_.set(kApplication, key, value);
    }
    fault.script(app());
    const Launch launched = launch();
    EXPECT_EQ(launched.exitCode, fault.exitCode) << launched.report();
    if (fault.message != 0) {
        ASSERT_EQ(launched.boxes.size(), 1u) << launched.report();
        EXPECT_EQ(launched.boxes.front().text, message(fault.message, {L"com.acme.App"}) + fault.cause + L"\n");
        // Described on the Java error stream too, and nothing left for the VM to print at detach.
        EXPECT_TRUE(launched.trace.containsPrefix("JNI ExceptionDescribe java/lang/")) << launched.report();
        EXPECT_FALSE(launched.trace.containsPrefix("UNCAUGHT ")) << launched.report();
    } else {
        EXPECT_TRUE(launched.boxes.empty()) << launched.report();
    }
    if (!fault.file.empty()) {
        EXPECT_NE(readFileBytes(copy_.folder() / fault.file).value_or("(none)").find(fault.text), std::string::npos);
    }
    expectJniDiscipline(launched);
}

// Rows are named by their names in test lists.
void PrintTo(const Fault& row, std::ostream* out) {
    *out << row.name;
}

INSTANTIATE_TEST_SUITE_P(Faults, FirstRunFaults, ::testing::ValuesIn(faults()),
                         [](const ::testing::TestParamInfo<Fault>& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace jlaunch::test::hosting
