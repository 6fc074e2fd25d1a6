// Today's kinds of Java application through the Linux launcher and every
// installed JDK: a modular application, an executable jar, Java 25's main
// methods and a JavaFX application, and what the user is told when one of
// them cannot start.
#include <gtest/gtest.h>

#include "installed_jdks.h"
#include "linux_launcher.h"

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using jvm_tests::installedJdks;
using jvm_tests::jdkName;
using jvm_tests::LaunchResult;
using jvm_tests::LinuxLauncher;

// The major version of a JDK home, from its release file.
int majorVersion(const fs::path& home) {
    const std::string release = jvm_tests::readFile(home / "release");
    const auto at = release.find("JAVA_VERSION=\"");
    return at == std::string::npos ? 0 : std::atoi(release.c_str() + at + 14);
}

struct ModernApp {
    const char* name;
    // The settings below [Java Runtime Environment] beside "JRE Path".
    std::string settings;
    int minimumJava;  // the rows of newer main methods need that Java
    int exitCode;
    // Found in standard output, or else in standard error; "{folder}" is the
    // launcher's folder.
    std::vector<std::string> out;
    std::vector<std::string> err;
};

const std::vector<ModernApp>& modernApps() {
    static const std::vector<ModernApp> apps = {
        {"ModuleWithTheMainClassOfItsDescriptor",
         "Main Module=com.example.app\nModule Path=mods",
         17,
         0,
         {"module com.example.app\ncommand=com.example.app a b\narg:a\narg:b\n"},
         {}},
        {"ModuleAndClass",
         "Main Module=com.example.app/com.example.app.Main\nModule Path=%APP_HOME%/mods",
         17,
         0,
         {"module com.example.app\ncommand=com.example.app/com.example.app.Main a b\n"},
         {}},
        {"ModuleNamedAloneRunsItsOwnClassNotTheMainClass",
         "Main Module=com.example.app\nMain Class=Opener\nModule Path=mods",
         17,
         0,
         {"module com.example.app\ncommand=com.example.app a b\n"},
         {}},
        {"ModuleWinsOverJar",
         "Main Module=com.example.app\nMain Jar=app.jar\nModule Path=mods",
         17,
         0,
         {"module com.example.app\n"},
         {}},
        {"MissingModuleIsNamed",
         "Main Module=com.example.gone\nModule Path=mods",
         17,
         255,
         // The runtime says so on its standard output while the boot layer is made.
         {"Module com.example.gone not found"},
         {"JNI exception: failed to create the Java VM\n"}},
        {"ClassMissingFromTheModuleIsNamed",
         "Main Module=com.example.app/com.example.app.Gone\nModule Path=mods",
         17,
         255,
         {},
         {"Failed to load Main Class: com.example.app/com.example.app.Gone.\nError: Could not find or load main class "
          "com.example.app.Gone in module com.example.app\n"}},
        {"ExecutableJarWithClassPathAndAddOpens",
         "Main Jar=app.jar",
         17,
         0,
         {"opened:true from:lib/helper.jar\ncommand={folder}/app.jar a b\n"},
         {}},
        {"SameClassWithoutTheJarsAddOpensIsRefused",
         "Main Class=Opener\n[Class Path]\nClass Path=app.jar;lib/helper.jar",
         17,
         1,
         {},
         {"java.lang.reflect.InaccessibleObjectException"}},
        {"MissingJarIsNamed", "Main Jar=gone.jar", 17, 255, {}, {"Failed to load Main Class: {folder}/gone.jar.\n"}},
        {"InstanceMainWithoutArguments",
         "Main Class=InstanceMain\n[Class Path]\nClass Path=mains25",
         25,
         0,
         {"instance main without arguments\n"},
         {}},
        {"StaticMainWithoutArguments",
         "Main Class=StaticNoArguments\n[Class Path]\nClass Path=mains25",
         25,
         0,
         {"static main without arguments\n"},
         {}},
        {"InstanceMainWithArguments",
         "Main Class=InstanceWithArguments\n[Class Path]\nClass Path=mains25",
         25,
         0,
         {"instance main with a,b\n"},
         {}},
    };
    return apps;
}

// Rows are named by their names in test lists.
void PrintTo(const ModernApp& row, std::ostream* out) {
    *out << row.name;
}

std::string inFolder(std::string text, const fs::path& folder) {
    for (auto at = text.find("{folder}"); at != std::string::npos; at = text.find("{folder}")) {
        text.replace(at, 8, folder.string());
    }
    return text;
}

// The launcher beside a copy of the applications, as a packager ships them.
class ModernLauncher : public LinuxLauncher {
protected:
    void SetUp() override {
        LinuxLauncher::SetUp();
        fs::copy(JLAUNCH_MODERN_APPS, folder_, fs::copy_options::recursive);
    }

    void writeSettings(const fs::path& jdk, const std::string& settings) const {
        std::ofstream(folder_ / "app.ini") << "[Java Runtime Environment]\nJRE Path=" << jdk.string() << "\n"
                                           << settings << "\n";
    }
};

using Row = std::tuple<fs::path, ModernApp>;

class ModernApps : public ModernLauncher, public ::testing::WithParamInterface<Row> {};

TEST_P(ModernApps, StartOrSayWhyNot) {
    const auto& [jdk, app] = GetParam();
    if (majorVersion(jdk) < app.minimumJava) {
        GTEST_SKIP() << "needs Java " << app.minimumJava;
    }
    if (app.minimumJava > JLAUNCH_NEWEST_JAVA_MAJOR) {
        GTEST_SKIP() << "no JDK to compile for Java " << app.minimumJava;
    }
    writeSettings(jdk, app.settings);
    const LaunchResult r = run({"a", "b"}, {"APP_HOME=" + folder_.string()});
    EXPECT_EQ(r.exitCode, app.exitCode) << r.out << r.err;
    for (const std::string& text : app.out) {
        EXPECT_NE(r.out.find(inFolder(text, folder_)), std::string::npos) << r.out << r.err;
    }
    for (const std::string& text : app.err) {
        EXPECT_NE(r.err.find(inFolder(text, folder_)), std::string::npos) << r.err;
    }
    // What the VM said before it refused is printed once, not twice.
    if (app.exitCode == 255 && !app.err.empty()) {
        const std::string said = inFolder(app.err.back(), folder_);
        const std::string shown = said.substr(said.rfind('\n', said.size() - 2) + 1);
        EXPECT_EQ(r.err.find(shown), r.err.rfind(shown)) << r.err;
    }
}

INSTANTIATE_TEST_SUITE_P(InstalledJdks, ModernApps,
                         ::testing::Combine(::testing::ValuesIn(installedJdks()), ::testing::ValuesIn(modernApps())),
                         [](const ::testing::TestParamInfo<Row>& row) {
                             return jdkName(::testing::TestParamInfo<fs::path>(std::get<0>(row.param), row.index)) +
                                    "_" + std::get<1>(row.param).name;
                         });

class ModernTrace : public ModernLauncher, public ::testing::WithParamInterface<fs::path> {};

// The trace names the mode, the module path and what the helper returned.
TEST_P(ModernTrace, NamesTheModeTheModulePathAndTheHelpersAnswer) {
    writeSettings(GetParam(), "Main Module=com.example.app\nMain Jar=app.jar\nModule Path=mods");
    const LaunchResult r = run({}, {"JLAUNCH_TRACE=-"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    for (const std::string& line :
         std::vector<std::string>{"launch mode: module com.example.app (module, then jar, then class)\n",
                                  "VM option --module-path=" + (folder_ / "mods").string() + "\n",
                                  "VM option -Djdk.module.main=com.example.app\n",
                                  "calling static main(String[]) of com.example.app with 0 arguments\n"}) {
        EXPECT_NE(r.err.find(line), std::string::npos) << line << "in\n" << r.err;
    }
}

INSTANTIATE_TEST_SUITE_P(InstalledJdks, ModernTrace, ::testing::ValuesIn(installedJdks()), jdkName);

// A JavaFX application without main, with OpenJFX on the module path, on a
// private X screen; and without OpenJFX, what the user is told.
class JavaFx : public ModernLauncher, public ::testing::WithParamInterface<fs::path> {};

TEST_P(JavaFx, ApplicationWithoutMainStartsAndMissingJavaFxIsNamed) {
    // Debian's OpenJFX is built for the Java of its release, 17; the newest
    // JDK gets OpenJFX 25 from scripts/fetch-openjfx.
    const int major = majorVersion(GetParam());
    const fs::path openjfx = major == 17   ? fs::path(JLAUNCH_OPENJFX_LIB)
                             : major >= 25 ? fs::path(JLAUNCH_OPENJFX_NEWEST_LIB)
                                           : fs::path();
    if (openjfx.empty()) {
        GTEST_SKIP() << "no OpenJFX for Java " << major;
    }
    if (!fs::exists(folder_ / "javafx") ||
        (!fs::exists(openjfx / "javafx.graphics.jar") && !fs::exists(openjfx / "javafx-graphics-25.0.2-linux.jar"))) {
        GTEST_SKIP() << "OpenJFX is not in " << openjfx << " (scripts/setup installs and fetches it)";
    }
    writeSettings(GetParam(), "Main Class=FxApp\nModule Path=" + openjfx.string() +
                                  "\nAdd Modules=javafx.graphics\n[Class Path]\nClass Path=javafx");
    const fs::path xvfb = fs::path(JLAUNCH_SOURCE_DIR) / "tests/support/with-xvfb.sh";
    const LaunchResult started = run({"one"}, {}, {}, xvfb);
    EXPECT_EQ(started.exitCode, 0) << started.out << started.err;
    EXPECT_NE(started.out.find("JavaFX started with [one]\n"), std::string::npos) << started.out << started.err;

    // JavaFX's classes on the class path, not as modules: the runtime's FX helper refuses.
    writeSettings(GetParam(), "Main Class=FxApp\n[Class Path]\nClass Path=javafx;" + openjfx.string() + "/*.jar");
    const LaunchResult classPath = run({}, {}, {}, xvfb);
    EXPECT_EQ(classPath.exitCode, 255);
    EXPECT_NE(classPath.err.find("Failed to load Main Class: FxApp.\nError: JavaFX runtime components are missing"),
              std::string::npos)
        << classPath.err;

    // No JavaFX at all: the class itself cannot be loaded.
    writeSettings(GetParam(), "Main Class=FxApp\n[Class Path]\nClass Path=javafx");
    const LaunchResult missing = run({});
    EXPECT_EQ(missing.exitCode, 255);
    EXPECT_NE(missing.err.find("Could not find the main class FxApp.\njava.lang.NoClassDefFoundError: "
                               "javafx/application/Application"),
              std::string::npos)
        << missing.err;
}

INSTANTIATE_TEST_SUITE_P(InstalledJdks, JavaFx, ::testing::ValuesIn(installedJdks()), jdkName);

}  // namespace
