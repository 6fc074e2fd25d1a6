// The launch plan: from settings, the chosen VM and the host's facts to the
// VM options, environment, stack size, streams and main arguments, as one
// table. The same settings through the real exe are the hosting tests'.
#include <gtest/gtest.h>

#include <functional>
#include <map>

#include "common/text.h"
#include "jvmhost/launch_plan.h"
#include "test_support.h"

namespace jlaunch {
void PrintTo(const EnvironmentVariable& variable, std::ostream* out) {
    *out << toNarrow(variable.name) << "=" << toNarrow(variable.value);
}
}  // namespace jlaunch

namespace {

using jlaunch::EnvironmentVariable;
using jlaunch::LauncherSettings;
using jlaunch::LaunchPlan;
using Strings = std::vector<std::string>;

constexpr std::uint64_t kGiB = std::uint64_t{1} << 30;

struct PlanCase {
    const char* name;
    std::function<void(LauncherSettings&)> settings;
    // "{exe}" stands for the executable's folder, "{home}" for the runtime's.
    Strings options;
    std::uint64_t stackSize = 0;
    std::vector<std::wstring> arguments = {L"a", L"b c"};
    // The message shown before the VM starts; kMsgNone for none.
    jlaunch::MessageId notice = jlaunch::kMsgNone;
};

std::string replaced(std::string text, const std::string& from, const std::string& to) {
    for (auto at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
    return text;
}

class LaunchPlanTable : public ::testing::Test {
protected:
    LaunchPlanTable() {
        folder_.write("app/app.jar");
        folder_.write("app/lib/a.jar");
        folder_.write("jdk/lib/server/libjvm.so");
    }

    using Variables = std::map<std::wstring, std::wstring>;

    LaunchPlan plan(const std::function<void(LauncherSettings&)>& change,
                    const Variables& variables = {
                        {L"PATH", L"/usr/bin"}, {L"JLT_HOME", L"/jlt home"}, {L"JLT_LIB", L"/jlt-env-lib"}}) const {
        LauncherSettings settings;
        settings.mainClassName = L"com/acme/App";
        settings.classPath = L"app.jar";
        change(settings);
        jlaunch::HostFacts host{
            exe(), {L"a", L"b c"}, {8 * kGiB, 64 * kGiB}, jlaunch::Environment([variables](const std::wstring& name) {
                const auto found = variables.find(name);
                return found == variables.end() ? std::nullopt : std::optional(found->second);
            })};
        return jlaunch::planLaunch(settings, library(), host);
    }

    std::wstring exe() const { return folder_.wide() + L"/app/tool"; }
    std::wstring library() const { return folder_.wide() + L"/jdk/lib/server/libjvm.so"; }
    std::string expand(const std::string& text) const {
        const std::string root = folder_.path().string();
        return replaced(replaced(text, "{exe}", root + "/app"), "{home}", root + "/jdk");
    }

    jlaunch::testing::TestFolder folder_;
};

TEST_F(LaunchPlanTable, SettingsBecomeOptionsStackAndArguments) {
    const PlanCase cases[] = {
        {"library path first, seeing the search path as it was",
         [](LauncherSettings& s) {
             s.libraryPath = L"/jlt-libs:%JLT_LIB%";
             s.vmParameters = L"-Dfirst=1 -Xmx64m -ea -Dlast=2";
         },
         {"-Djava.library.path=/jlt-libs:/jlt-env-lib:{exe}/:.:/usr/bin:{home}/lib", "-Djava.class.path={exe}/app.jar",
          "-Dfirst=1", "-Xmx64m", "-ea", "-Dlast=2"}},
        {"class path first without a library path",
         [](LauncherSettings& s) { s.vmParameters = L"-Dfirst=1"; },
         {"-Djava.class.path={exe}/app.jar", "-Dfirst=1"}},
        {"parameters split outside quotes and lose them",
         [](LauncherSettings& s) {
             s.vmParameters =
                 L"-Dmsg=\"hello  world\" -Xmx64m  -Dtwo=2   \"-Dq=a b\" -Dd=\"say \"\"hi\"\"\" "
                 L"-Dhome=%JLT_HOME% -Dend";
         },
         {"-Djava.class.path={exe}/app.jar", "-Dmsg=hello  world", "-Xmx64m", "-Dtwo=2", "-Dq=a b", "-Dd=say \"hi\"",
          "-Dhome=/jlt home", "-Dend"}},
        {"parameters see the search path the application gets",
         [](LauncherSettings& s) { s.vmParameters = L"-Dp=%PATH%"; },
         {"-Djava.class.path={exe}/app.jar", "-Dp=/usr/bin:{home}/bin"}},
        {"shares of the memory become kilobytes; the last -Xss sets the stack",
         [](LauncherSettings& s) { s.vmParameters = L"-Xmx50P -Xms1:8:4P -Xss4m -Xss0:3:0P"; },
         {"-Djava.class.path={exe}/app.jar", "-Xmx4194304K", "-Xms8192K", "-Xss4m", "-Xss3072K"},
         3 * 1024 * 1024},
        {"an overlarge stack is left to the VM",
         [](LauncherSettings& s) { s.vmParameters = L"-Xss4m -Xss99999999999999999999k -Xmx64m"; },
         {"-Djava.class.path={exe}/app.jar", "-Xss4m", "-Xmx64m"}},
        {"wildcards, an absolute entry and the embedded jar",
         [](LauncherSettings& s) {
             s.classPath = L"lib/*.jar;/opt/x.jar;missing/*.jar";
             s.embeddedJar = true;
         },
         {"-Djava.class.path={exe}/tool:{exe}/lib/a.jar:/opt/x.jar"}},
        {"Cmd adds arguments after the command line's",
         [](LauncherSettings& s) { s.cmd = L"-x \"two words\" %JLT_HOME% \"\""; },
         {"-Djava.class.path={exe}/app.jar"},
         0,
         {L"a", L"b c", L"-x", L"two words", L"/jlt", L"home"}},  // expanded, then split
        {"no class path: a notice, and no parameters or Cmd",
         [](LauncherSettings& s) {
             s.classPath.clear();
             s.cmd = L"-x";
         },
         {},
         0,
         {L"a", L"b c"},
         jlaunch::kMsgClassPathMissing},
        {"a class path that matched nothing: only the entries' notice",
         [](LauncherSettings& s) {
             s.classPath = L"missing.jar";
             s.libraryPath = L"/l";
             s.vmParameters = L"-Xss4m";
             s.cmd = L"-x";
         },
         {"-Djava.library.path=/l:{exe}/:.:/usr/bin:{home}/lib"},
         0,
         {L"a", L"b c"},
         jlaunch::kMsgClassPathUnmatched},
    };
    for (const PlanCase& c : cases) {
        SCOPED_TRACE(c.name);
        const LaunchPlan planned = plan(c.settings);
        Strings expected;
        for (const std::string& option : c.options) {
            expected.push_back(expand(option));
        }
        // Last, as "java" says them: the class and the arguments, and who started the VM.
        std::string command = "-Dsun.java.command=com.acme.App";
        for (const std::wstring& argument : c.arguments) {
            command += " " + jlaunch::toNarrow(argument);
        }
        expected.insert(expected.end(), {command, "-Dsun.java.launcher=SUN_STANDARD"});
        EXPECT_EQ(planned.vmOptions, expected);
        EXPECT_EQ(planned.javaThreadStackSize, c.stackSize);
        EXPECT_EQ(planned.main.arguments, c.arguments);
        EXPECT_EQ(planned.notice ? planned.notice->message : jlaunch::kMsgNone, c.notice);
        EXPECT_EQ(planned.main.mainClassName, L"com/acme/App");
    }
}

struct ModeCase {
    const char* name;
    std::function<void(LauncherSettings&)> settings;
    jlaunch::LaunchMode mode;
    std::string what;  // "{exe}" as above
    Strings options;   // all but the closing sun.java ones
};

TEST_F(LaunchPlanTable, ModuleWinsOverJarWhichWinsOverClass) {
    using jlaunch::LaunchMode;
    const ModeCase cases[] = {
        {"a module from the module path, without a class path",
         [](LauncherSettings& s) {
             s.mainModule = L"com.acme.app";
             s.modulePath = L"mods;/opt/fx/lib;;%JLT_HOME%/x";
             s.classPath.clear();
             s.mainClassName.clear();
         },
         LaunchMode::Module,
         "com.acme.app",
         {"--module-path={exe}/mods:/opt/fx/lib:/jlt home/x", "-Djdk.module.main=com.acme.app"}},
        {"a module and its class, modules added",
         [](LauncherSettings& s) {
             s.mainModule = L"com.acme.app/com.acme.Main";
             s.addModules = L"javafx.controls,javafx.fxml";
         },
         LaunchMode::Module,
         "com.acme.app/com.acme.Main",
         {"-Djava.class.path={exe}/app.jar", "--add-modules=javafx.controls,javafx.fxml",
          "-Djdk.module.main=com.acme.app"}},
        {"a module named alone runs its own main class, whatever Main Class says",
         [](LauncherSettings& s) { s.mainModule = L"com.acme.app"; },
         LaunchMode::Module,
         "com.acme.app",
         {"-Djava.class.path={exe}/app.jar", "-Djdk.module.main=com.acme.app"}},
        {"a jar leads the class path",
         [](LauncherSettings& s) {
             s.mainJar = L"app.jar";
             s.classPath = L"lib/*.jar";
             s.mainClassName.clear();
         },
         LaunchMode::Jar,
         "{exe}/app.jar",
         {"-Djava.class.path={exe}/app.jar:{exe}/lib/a.jar"}},
        {"an absolute jar, expanded, alone",
         [](LauncherSettings& s) {
             s.mainJar = L"%JLT_HOME%/app.jar";
             s.classPath.clear();
         },
         LaunchMode::Jar,
         "/jlt home/app.jar",
         {"-Djava.class.path=/jlt home/app.jar"}},
        {"all three: the module wins, the jar stays on the class path",
         [](LauncherSettings& s) {
             s.mainModule = L"com.acme.app/com.acme.Main";
             s.mainJar = L"app.jar";
             s.classPath.clear();
         },
         LaunchMode::Module,
         "com.acme.app/com.acme.Main",
         {"-Djava.class.path={exe}/app.jar", "-Djdk.module.main=com.acme.app"}},
        {"a class with JavaFX's modules",
         [](LauncherSettings& s) {
             s.modulePath = L"/usr/share/openjfx/lib";
             s.addModules = L"javafx.graphics";
         },
         LaunchMode::Class,
         "com.acme.App",
         {"-Djava.class.path={exe}/app.jar", "--module-path=/usr/share/openjfx/lib", "--add-modules=javafx.graphics"}},
    };
    for (const ModeCase& c : cases) {
        SCOPED_TRACE(c.name);
        const LaunchPlan planned = plan(c.settings);
        EXPECT_EQ(planned.main.mode, c.mode);
        EXPECT_EQ(jlaunch::toNarrow(planned.main.what), expand(c.what));
        Strings expected;
        for (const std::string& option : c.options) {
            expected.push_back(expand(option));
        }
        expected.insert(expected.end(),
                        {"-Dsun.java.command=" + expand(c.what) + " a b c", "-Dsun.java.launcher=SUN_STANDARD"});
        EXPECT_EQ(planned.vmOptions, expected);
        // A module or a jar needs no class path of its own: no notice.
        EXPECT_FALSE(planned.notice.has_value());
    }
}

TEST_F(LaunchPlanTable, EnvironmentStreamsAndRunFlags) {
    const LaunchPlan planned = plan([](LauncherSettings& s) {
        s.systemPath = L"/sys";
        s.outputFile = L"%JLT_HOME%/out_%yyyy%.log";
        s.outputAppend = true;
        s.errorFile = L"err.log";
        s.failureCheck = true;
        s.isService = true;
        s.vmProvider = jlaunch::parseVmProvider(L"ibm");
    });
    const std::wstring home = folder_.wide() + L"/jdk";
    EXPECT_EQ(planned.environment, (std::vector<EnvironmentVariable>{{L"KOV_JVM_PATH", library()},
                                                                     {L"KOV_JVM_HOME", home},
                                                                     {L"PATH", L"/sys:/usr/bin:" + home + L"/bin"},
                                                                     {L"LD_LIBRARY_PATH", home + L"/lib"}}));
    // The date and time go in when the VM starts, not now.
    EXPECT_EQ(planned.output, (jlaunch::Redirection{L"/jlt home/out_%yyyy%.log", true}));
    EXPECT_EQ(planned.error, (jlaunch::Redirection{L"err.log", false}));
    EXPECT_TRUE(planned.main.failureCheck);
    EXPECT_TRUE(planned.main.neverDetach);
    EXPECT_TRUE(planned.isService);
    EXPECT_FALSE(
        plan([](LauncherSettings& s) { s.vmProvider = jlaunch::parseVmProvider(L"favor_sun"); }).main.neverDetach);
}

TEST_F(LaunchPlanTable, ExecutableFolderAndFileWinOverVariablesOfTheirNames) {
    const Variables variables = {{L"EXEDIR", L"/elsewhere"}, {L"EXEFILE", L"/elsewhere/x"}, {L"PATH", L"/usr/bin"}};
    const LaunchPlan planned = plan(
        [](LauncherSettings& s) {
            s.classPath = L"%EXEDIR%/lib/*.jar";
            s.vmParameters = L"-Dapp.home=\"%EXEDIR%\" -Dapp.exe=%EXEFILE% -Dno=%EXEDIR";
            s.cmd = L"--home %EXEDIR%";
            s.outputFile = L"%EXEDIR%/out.log";
        },
        variables);
    EXPECT_EQ(planned.vmOptions[0], expand("-Djava.class.path={exe}/lib/a.jar"));
    EXPECT_EQ(planned.vmOptions[1], expand("-Dapp.home={exe}"));
    EXPECT_EQ(planned.vmOptions[2], expand("-Dapp.exe={exe}/tool"));
    EXPECT_EQ(planned.vmOptions[3], "-Dno=%EXEDIR");
    EXPECT_EQ(planned.main.arguments, (std::vector<std::wstring>{L"a", L"b c", L"--home", folder_.wide() + L"/app"}));
    EXPECT_EQ(planned.output.file, folder_.wide() + L"/app/out.log");
    // Only expansions see them: the application's environment keeps its own.
    for (const EnvironmentVariable& variable : planned.environment) {
        EXPECT_NE(variable.name, L"EXEDIR");
        EXPECT_NE(variable.name, L"EXEFILE");
    }
    const std::pair<std::wstring, std::wstring> folders[] = {
        {L"/opt/app/tool", L"/opt/app"}, {L"/tool", L"/"}, {L"/opt/app/", L"/opt/app"}};
    for (const auto& [executable, folder] : folders) {
        EXPECT_EQ(jlaunch::executableFolder(executable), folder);
    }
}

TEST_F(LaunchPlanTable, SearchPathsNeverHoldAnEmptyElementOrAnUnsetReference) {
    for (const Variables& variables : {Variables{}, Variables{{L"PATH", L""}, {L"LD_LIBRARY_PATH", L""}}}) {
        const LaunchPlan planned = plan([](LauncherSettings& s) { s.libraryPath = L"/l:"; }, variables);
        const std::wstring home = folder_.wide() + L"/jdk";
        EXPECT_EQ(planned.environment[2], (EnvironmentVariable{L"PATH", home + L"/bin"}));
        EXPECT_EQ(planned.environment[3], (EnvironmentVariable{L"LD_LIBRARY_PATH", home + L"/lib"}));
        EXPECT_EQ(planned.vmOptions.front(), expand("-Djava.library.path=/l:{exe}/:.:{home}/lib"));
    }
}

}  // namespace
