// Modules and executable jars through the real exe and the fake VM: the
// options the VM is handed, how the runtime's launcher helper is asked, and
// the helper's own words in the message box when it refuses.
#include "hosting_end_to_end_test.h"

#include <algorithm>

namespace jlaunch::test::hosting {
namespace {

struct ModernCase {
    const char* name;
    std::vector<std::pair<std::wstring, std::wstring>> settings;  // "Java Runtime Environment" keys
    // In the trace, "{exe}" the executable's folder: these options in this
    // order (others may come between), and the helper's call.
    std::vector<std::wstring> options;
    std::wstring helperCall;
    // Empty: a clean run; else the box's text after message 211 for `failed`.
    std::wstring failed;
    std::wstring refusal;
};

std::wstring inExeFolder(std::wstring text, const std::wstring& folder) {
    for (auto at = text.find(L"{exe}"); at != std::wstring::npos; at = text.find(L"{exe}", at + folder.size())) {
        text.replace(at, 5, folder);
    }
    return text;
}

TEST_F(HostingLaunch, ModulesAndJarsReachTheVmAndTheLauncherHelper) {
    // The double reads a jar's text as the class its manifest names.
    copy_.folder().writeFile(L"app.jar", "com.acme.App");
    const ModernCase cases[] = {
        {"module and class from a module path of relative, absolute and variable entries",
         {{L"Main Module", L"com.acme.app/com.acme.App"},
          {L"Module Path", L"mods;C:\\jlt-fx\\lib;%JLT_MODS%"},
          {L"Add Modules", L"javafx.controls,javafx.fxml"}},
         {L"--module-path={exe}\\mods;C:\\jlt-fx\\lib;C:\\jlt-env-mods", L"--add-modules=javafx.controls,javafx.fxml",
          L"-Djdk.module.main=com.acme.app", L"-Dsun.java.command=com.acme.app/com.acme.App one",
          L"-Dsun.java.launcher=SUN_STANDARD"},
         L"mode=3 name=com.acme.app/com.acme.App",
         {},
         {}},
        {"a module named alone: its descriptor names the class (the double's has none)",
         {{L"Main Module", L"com.acme.app"}},
         {L"-Djdk.module.main=com.acme.app"},
         L"mode=3 name=com.acme.app",
         L"com.acme.app",
         L"Error: Module com.acme.app does not have a ModuleMainClass attribute"},
        {"an executable jar, absolute, leading the class path",
         {{L"Main Jar", L"app.jar"}, {L"Main Class", L""}},
         {L"-Djava.class.path={exe}\\app.jar;{exe}\\app.jar", L"-Dsun.java.command={exe}\\app.jar one"},
         L"mode=2 name={exe}\\app.jar",
         {},
         {}},
        {"a jar that is not there",
         {{L"Main Jar", L"gone.jar"}},
         {},
         L"mode=2 name={exe}\\gone.jar",
         L"{exe}\\gone.jar",
         L"Error: Unable to access jarfile {exe}\\gone.jar"},
        {"a class the module does not have",
         {{L"Main Module", L"com.acme.app/com.acme.Gone"}},
         {},
         L"mode=3 name=com.acme.app/com.acme.Gone",
         L"com.acme.app/com.acme.Gone",
         L"Error: Could not find or load main class com.acme.Gone\nCaused by: java.lang.ClassNotFoundException: "
         L"com.acme.Gone"},
    };
    const std::wstring folder = copy_.exeFolder();
    for (const ModernCase& c : cases) {
        SCOPED_TRACE(c.name);
        settings_ = Settings()
                        .set(kJre, L"JRE Path", fake_jvm::fakeJavaHome(fake_jvm::Variant::Full))
                        .set(kJre, L"Main Class", L"com.acme.App")
                        .set(kClassPath, L"Class Path", L"app.jar");
        for (const auto& [key, value] : c.settings) {
            settings_.set(kJre, key, value);
        }
        const Launch launched = launch(L"one", {{L"JLT_MODS", L"C:\\jlt-env-mods"}});
        const std::vector<std::string> options = launched.trace.options();
        auto from = options.begin();
        for (const std::wstring& option : c.options) {
            from = std::find(from, options.end(), ansi(inExeFolder(option, folder)));
            EXPECT_NE(from, options.end()) << "no " << ansi(inExeFolder(option, folder)) << "\n" << launched.report();
        }
        EXPECT_TRUE(launched.trace.contains("CHECK-AND-LOAD-MAIN printToStderr=1 " +
                                            fake_jvm::escapeText(fake_jvm::toU16(inExeFolder(c.helperCall, folder)))))
            << launched.report();
        if (c.failed.empty()) {
            expectCleanRun(launched);
            EXPECT_TRUE(launched.trace.contains("MAIN-RETURN com/acme/App")) << launched.report();
        } else {
            // The helper's words, which a GUI program has no console for, are in the box.
            expectFailure(launched,
                          message(211, {inExeFolder(c.failed, folder)}) + inExeFolder(c.refusal, folder) + L"\n");
            EXPECT_TRUE(launched.trace.contains("EXIT-HOOK 1")) << launched.report();
        }
    }
}

}  // namespace
}  // namespace jlaunch::test::hosting
