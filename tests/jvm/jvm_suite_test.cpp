// The Linux launcher hosting real Java VMs: every JDK installed in
// /usr/lib/jvm runs the fixture programs through a settings file.
#include <fcntl.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "installed_jdks.h"
#include "linux_launcher.h"
#include "real_vm_cases.h"

#include <filesystem>
#include <fstream>
#include <ctime>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using jvm_tests::installedJdks;
using jvm_tests::jdkName;
using jvm_tests::LaunchResult;
using jvm_tests::LinuxLauncher;
using jvm_tests::readFile;
using jvm_tests::RealVmCase;
using jvm_tests::replaced;

class RealJvm : public LinuxLauncher, public ::testing::WithParamInterface<fs::path> {
protected:
    // Settings with the JDK under test as "JRE Path" and the fixtures as class path.
    void writeSettings(const std::string& mainClass, const std::string& vmParameters = "",
                       const std::string& application = "") const {
        std::ofstream ini(folder_ / "app.ini");
        ini << "[Java Runtime Environment]\nMain Class=" << mainClass << "\nJRE Path=" << GetParam().string()
            << "\nVirtual Machine Parameters=-Xcheck:jni " << vmParameters
            << "\n[Class Path]\nClass Path=" << classes_.string() << "\n[Application]\n"
            << application;
    }
};

TEST_P(RealJvm, ArgumentsReachMainUnchanged) {
    writeSettings("Hello");
    const LaunchResult r =
        run({"plain", "", "with space", "\"quoted\"", "\xC3\xA9\xE4\xB8\xAD\xF0\x9F\x98\x80", "-nosplash"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("arg:plain\narg:\narg:with space\narg:\"quoted\"\narg:\xC3\xA9\xE4\xB8\xAD\xF0\x9F\x98\x80\n"
                         "arg:-nosplash\n"),
              std::string::npos)
        << r.out;
    EXPECT_EQ(r.err.find("WARNING"), std::string::npos) << r.err;  // -Xcheck:jni is content
    EXPECT_EQ(r.out.find("WARNING"), std::string::npos) << r.out;
}

TEST_P(RealJvm, CmdArgumentsFollowTheCommandLine) {
    writeSettings("Hello", "", "Cmd=one \"two words\" three\n");
    const LaunchResult r = run({"first"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("arg:first\narg:one\narg:two words\narg:three\n"), std::string::npos) << r.out;
}

TEST_P(RealJvm, StreamsGoToFilesWithDateAndAppend) {
    writeSettings("Streams", "",
                  "Output File=" + (folder_ / "logs/sub/out-%yyyy%.log").string() +
                      "\nOutput Append=yes\nError File=" + (folder_ / "err.log").string() + "\nError Append=Yes\n");
    ASSERT_EQ(run({"a"}).exitCode, 0);
    const LaunchResult r = run({"b"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    std::string year;
    for (const auto& entry : fs::directory_iterator(folder_ / "logs/sub")) year = entry.path().filename().string();
    ASSERT_EQ(year.size(), std::string("out-2026.log").size()) << year;
    EXPECT_EQ(readFile(folder_ / "logs/sub" / year), "out:a\nout:b\n");  // appended
    EXPECT_EQ(readFile(folder_ / "err.log"), "err:b\n");                 // "Yes" is not "yes": truncated
    EXPECT_EQ(r.out.find("out:"), std::string::npos);
}

TEST_P(RealJvm, VmParametersFromAPlusSectionAloneStartTheVm) {
    // The layered read gives such a value a leading space; it must not become an empty option.
    std::ofstream(folder_ / "app.ini") << "[Java Runtime Environment]\nMain Class=MaxMemory\nJRE Path="
                                       << GetParam().string()
                                       << "\n[Java Runtime Environment+]\nVirtual Machine Parameters=-Xmx1:64:64P\n"
                                       << "[Class Path]\nClass Path=" << classes_.string() << "\n";
    const LaunchResult r = run({});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("maxMemory="), std::string::npos) << r.out;
}

TEST_P(RealJvm, UncaughtExceptionWithAndWithoutFailureCheck) {
    writeSettings("Thrower");
    LaunchResult r = run({});
    EXPECT_EQ(r.exitCode, 1);  // as "java" does; the VM reports the exception itself
    EXPECT_NE(r.err.find("Exception in thread \"main\" java.lang.IllegalStateException: boom"), std::string::npos)
        << r.err;
    writeSettings("Thrower", "", "Failure Check=yes\n");
    r = run({});
    EXPECT_EQ(r.exitCode, 255);  // stopped through System.exit(-1)
    EXPECT_NE(r.err.find("java.lang.IllegalStateException: boom \xC3\xBC\xE4\xB8\xAD"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("at Thrower.main"), std::string::npos) << r.err;
}

TEST_P(RealJvm, PackedLauncherRunsFromItsEmbeddedSettings) {
    // The settings go inside the launcher; beside it only the code remains.
    writeSettings("Hello", "", "Cmd=--embedded\n");
    {
        std::ofstream ini(folder_ / "app.ini", std::ios::app);
        ini << "[Product Information]\nUpgrade Code={11-22-33}\n";
    }
    fs::rename(folder_ / "app.ini", folder_ / "embedded.ini");
    const std::string embedded = (folder_ / "embedded.ini").string();
    const std::string launcher = JLAUNCH_LINUX_LAUNCHER;
    pid_t child = 0;
    std::vector<std::string> argv{JLAUNCH_PACK_TOOL, "--launcher", launcher,     "--settings",
                                  embedded,          "--out",      app_.string()};
    std::vector<char*> pointers;
    pointers.reserve(argv.size() + 1);
    for (auto& a : argv) pointers.push_back(a.data());
    pointers.push_back(nullptr);
    ASSERT_EQ(posix_spawn(&child, JLAUNCH_PACK_TOOL, nullptr, nullptr, pointers.data(), environ), 0);
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

    const std::string code = "[Product Information]\nUpgrade Code={11-22-33}\n";
    struct Case {
        const char* what;
        std::string beside;  // the settings file beside the exe
        bool flipByte;
        int exitCode;
        std::string out;  // expected in standard output, or else in standard error
        std::string err;
    };
    const Case cases[] = {
        {"only the code beside it", code, false, 0, "arg:first\narg:--embedded\n", ""},
        {"a key beside it overrides", code + "[Application]\nCmd=--beside\n", false, 0, "arg:first\narg:--beside\n",
         ""},
        {"a + section extends", code + "[Application+]\nCmd=--more\n", false, 0, "arg:--embedded\narg:--more\n", ""},
        {"wrong code", "[Product Information]\nUpgrade Code={11-22-34}\n", false, 255, "",
         "cannot be deciphered with the \u201cUpgrade Code\u201d of " + (folder_ / "app.ini").string()},
        {"no code", "[Application]\nCmd=x\n", false, 255, "", "which is missing: " + (folder_ / "app.ini").string()},
        {"a flipped byte", code, true, 255, "", "the code is wrong, or the program file is damaged."},
    };
    const std::string packed = readFile(app_);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::string bytes = packed;
        if (c.flipByte) {
            bytes[bytes.size() - 40] = static_cast<char>(bytes[bytes.size() - 40] ^ 0x10);  // inside the tag
        }
        {
            std::ofstream exe(app_, std::ios::binary | std::ios::trunc);
            exe << bytes;
            std::ofstream(folder_ / "app.ini") << c.beside;
        }
        const LaunchResult r = run({"first"});
        EXPECT_EQ(r.exitCode, c.exitCode) << r.err;
        if (!c.out.empty()) {
            EXPECT_NE(r.out.find(c.out), std::string::npos) << r.out << r.err;
        }
        if (!c.err.empty()) {
            EXPECT_NE(r.err.find(c.err), std::string::npos) << r.err;
            EXPECT_EQ(r.out.find("Hello from"), std::string::npos) << "the application ran: " << r.out;
        }
    }
    // Embedded settings load libcrypto; the dynamic loader's own report tells.
    std::ofstream(folder_ / "app.ini") << code;
    const LaunchResult loaded = run({"first"}, {"LD_DEBUG=files"});
    EXPECT_NE(loaded.err.find("libcrypto.so"), std::string::npos) << loaded.err.substr(0, 2000);
}

TEST_P(RealJvm, LibcryptoStaysUnloadedWithoutEmbeddedSettings) {
    writeSettings("Hello");
    const LaunchResult r = run({}, {"LD_DEBUG=files"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_NE(r.err.find("libjvm.so"), std::string::npos) << "no report of the loader";
    EXPECT_EQ(r.err.find("libcrypto"), std::string::npos);
}

TEST_P(RealJvm, TraceGoesWhereTheVariableSaysAndNeverToTheApplication) {
    writeSettings("Environment");
    const std::vector<std::string> names = {"JLAUNCH_TRACE", "KOV_JVM_PATH", "KOV_JVM_HOME", "LD_LIBRARY_PATH"};
    const std::string library = (GetParam() / "lib/server/libjvm.so").string();
    LaunchResult r = run(names, {"JLAUNCH_TRACE=-"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "JLAUNCH_TRACE=null\nKOV_JVM_PATH=" + library + "\nKOV_JVM_HOME=" + GetParam().string() +
                         "\nLD_LIBRARY_PATH=" + (GetParam() / "lib").string() + "\n");
    for (const std::string& line :
         {" ms  chosen VM library " + library, std::string(" ms  JNI_CreateJavaVM returned 0"),
          std::string(" ms  calling static main(String[]) of Environment with 4 arguments")}) {
        EXPECT_NE(r.err.find(line), std::string::npos) << line << "\nin\n" << r.err;
    }
    // To a file, and nothing at all when unset.
    const fs::path file = folder_ / "trace.log";
    r = run({}, {"JLAUNCH_TRACE=" + file.string()});
    EXPECT_TRUE(r.err.empty()) << r.err;
    EXPECT_NE(readFile(file).find(" ms  main returned\n"), std::string::npos) << readFile(file);
    r = run({});
    EXPECT_TRUE(r.err.empty()) << r.err;
}

// "Restart Code": the same executable runs again with the same arguments,
// as often as the application asks, up to ten restarts in a row.
TEST_P(RealJvm, RestartCodeStartsTheApplicationAgainUpToTenTimesInARow) {
    const struct {
        const char* application;
        std::string vmParameters;
        const char* how;  // the fixture's second argument
        const char* until;
        int exitCode;
        int runs;
        std::string traced;
    } cases[] = {
        {"Restart Code=3\n", "", "3", "3", 0, 3,
         "exit code 3 is the Restart Code: starting the application again (2 of"},
        {"Restart Code=3\n", "", "3", "99", 3, 11, "started again 10 times in a row: not again"},
        {"Restart Code= 1 \n", "", "throw", "2", 0, 2, "started again on the Restart Code: 1 of at most 10"},
        // The new run is the first instance again, not a launch forwarded to the old one.
        {"Restart Code=3\nSingle Instance=yes\n", "", "3", "3", 0, 3, "single instance: this is the first instance"},
        {"Restart Code=4\n", "", "3", "99", 3, 1, "the VM exits with status 3"},
        {"", "", "3", "99", 3, 1, "the VM exits with status 3"},
        {"Restart Code=0\n", "", "0", "99", 0, 1, "Restart Code 0 restarts nothing"},
        // Last: the run removes the launcher, so the next cannot start and the run's own code stands.
        {"Restart Code=3\n", "-Drestarts.remove=" + app_.string(), "3", "99", 3, 1,
         "the application could not be started again: system error 2 (No such file or directory)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.application) + " " + c.how + " until " + c.until);
        writeSettings("Restarts", c.vmParameters, c.application);
        const fs::path runs = folder_ / "runs.txt";
        fs::remove(runs);
        const LaunchResult r = run({runs.string(), c.how, c.until, "x", "y z"}, {"JLAUNCH_TRACE=-"});
        EXPECT_EQ(r.exitCode, c.exitCode) << r.err;
        EXPECT_EQ(readFile(runs), std::to_string(c.runs));
        std::string expected;
        for (int run = 1; run <= c.runs; ++run) expected += "run " + std::to_string(run) + "x y z\n";
        EXPECT_EQ(r.out, expected);
        EXPECT_NE(r.err.find(c.traced), std::string::npos) << r.err;
    }
}

// The cases every launcher runs alike (real_vm_cases.h), with each JDK.
class SharedCases : public LinuxLauncher, public ::testing::WithParamInterface<std::tuple<fs::path, RealVmCase>> {
protected:
    std::string expanded(std::string text) const {
        const fs::path& home = std::get<0>(GetParam());
        const std::time_t now = std::time(nullptr);
        text = replaced(std::move(text), "{folder}", folder_.string());
        text = replaced(std::move(text), "{home}", home.string());
        text = replaced(std::move(text), "{library}", (home / "lib/server/libjvm.so").string());
        return replaced(std::move(text), "{year}", std::to_string(std::localtime(&now)->tm_year + 1900));
    }
};

TEST_P(SharedCases, Run) {
    const auto& [home, row] = GetParam();
    std::ofstream(folder_ / "app.ini") << "[Java Runtime Environment]\nMain Class=" << row.mainClass
                                       << "\nJRE Path=" << home.string() << "\nVirtual Machine Parameters=-Xcheck:jni "
                                       << row.vmParameters << "\n[Class Path]\nClass Path=" << classes_.string()
                                       << "\n[Application]\n"
                                       << expanded(row.application);
    std::vector<std::string> arguments;
    for (const std::string& argument : row.arguments) arguments.push_back(expanded(argument));
    const LaunchResult r = run(arguments, row.environment);
    EXPECT_EQ(r.exitCode, row.exitCode & 0xFF) << r.err;
    for (const std::string& text : row.out) EXPECT_NE(r.out.find(expanded(text)), std::string::npos) << r.out;
    for (const std::string& text : row.err) EXPECT_NE(r.err.find(expanded(text)), std::string::npos) << r.err;
    for (const auto& [file, text] : row.files) EXPECT_EQ(readFile(folder_ / expanded(file)), text) << file;
}

INSTANTIATE_TEST_SUITE_P(InstalledJdks, SharedCases,
                         ::testing::Combine(::testing::ValuesIn(installedJdks()),
                                            ::testing::ValuesIn(jvm_tests::realVmCases())),
                         [](const ::testing::TestParamInfo<std::tuple<fs::path, RealVmCase>>& row) {
                             return jdkName({std::get<0>(row.param), row.index}) + "_" + std::get<1>(row.param).name;
                         });

INSTANTIATE_TEST_SUITE_P(InstalledJdks, RealJvm, ::testing::ValuesIn(installedJdks()), jdkName);

// The JDK of one major version in /usr/lib/jvm; empty when there is none.
fs::path jdkOfVersion(int major) {
    for (const fs::path& home : installedJdks()) {
        const std::string release = readFile(home / "release");
        const auto at = release.find("JAVA_VERSION=\"");
        if (at != std::string::npos && std::atoi(release.c_str() + at + 14) == major) {
            return home;
        }
    }
    return {};
}

// The faults of a first run, each through the Linux launcher and a real VM;
// the application's Java is OpenJDK 17.
struct FirstRunFault {
    const char* name;
    // Settings with "{jdk17}", "{classes}" and "{newest}" (the class compiled by
    // the newest JDK); nothing: no settings file at all.
    std::optional<std::string> settings;
    int exitCode;
    std::string err;                                         // found in standard error, "{folder}" the copy's folder
    std::vector<std::pair<std::string, std::string>> files;  // below the folder, and what each begins with
};

const std::string kOn17 = "[Java Runtime Environment]\nJRE Path={jdk17}\nMain Class=";
const std::string kFixtures = "\n[Class Path]\nClass Path={classes}\n";

const std::vector<FirstRunFault>& firstRunFaults() {
    static const std::vector<FirstRunFault> faults = {
        {"MinimumVersionAloneFindsAnInstalledJava",
         "[Java Runtime Environment]\nMain Class=Hello\nMinimum Version=17" + kFixtures,
         0,
         "",
         {}},
        {"ExceptionOutOfMainEndsWithOneInTheErrorFile",
         kOn17 + "Thrower" + kFixtures + "[Application]\nError File=e.log",
         1,
         "",
         {{"e.log", "Exception in thread \"main\" java.lang.IllegalStateException: boom"}}},
        {"MissingSuperclassIsNamed",
         kOn17 + "NeedsBase" + kFixtures,
         255,
         "Could not find the main class NeedsBase.\njava.lang.NoClassDefFoundError: GoneBase\n",
         {}},
        {"ClassForANewerJavaIsNamed",
         kOn17 + "Newest\n[Class Path]\nClass Path={newest}",
         255,
         "Could not find the main class Newest.\njava.lang.UnsupportedClassVersionError: Newest has been compiled by a "
         "more recent version of the Java Runtime (class file version " +
             std::to_string(JLAUNCH_NEWEST_JAVA_MAJOR + 44) + ".0)",
         {}},
        {"OutputFilesWithBackslashesAndRelativeFolders",
         kOn17 + "Streams" + kFixtures + "[Application]\nOutput File=logs\\out.log\nError File=sub/dir/err.log",
         0,
         "",
         {{"logs/out.log", "out:\n"}, {"sub/dir/err.log", "err:\n"}}},
        {"OutputAndErrorNamingOneFileKeepBothStreams",
         kOn17 + "Streams" + kFixtures + "[Application]\nOutput File=logs/both.log\nError File=logs/../logs/both.log",
         0,
         "",
         {{"logs/both.log", "out:\nerr:\n"}}},
        {"MissingSettingsFileIsNamed", std::nullopt, 255, "The settings file {folder}/app.ini was not found.\n", {}},
        {"EmptySettingsFileLacksTheMainClass",
         "",
         255,
         "Main class was not specified in INI file {folder}/app.ini: set \u201CMain Class\u201D, \u201CMain "
         "Module\u201D "
         "or \u201CMain Jar\u201D in section [Java Runtime Environment].\n",
         {}},
        // Written but matching nothing: the entries are named, and the class path is not called missing.
        {"ClassPathMatchingNothingNamesItsEntries",
         kOn17 + "Hello\n[Class Path]\nClass Path=missing.jar;lib/*.jar\n",
         255,
         "No file matches these class path entries:\nmissing.jar\nlib/*.jar\n",
         {}},
    };
    return faults;
}

class FirstRunFaults : public LinuxLauncher, public ::testing::WithParamInterface<FirstRunFault> {};

TEST_P(FirstRunFaults, AreMended) {
    const FirstRunFault& fault = GetParam();
    const fs::path jdk17 = jdkOfVersion(17);
    if (jdk17.empty()) {
        GTEST_SKIP() << "no OpenJDK 17 in /usr/lib/jvm";
    }
    if (std::string(fault.name) == "ClassForANewerJavaIsNamed" && JLAUNCH_NEWEST_JAVA_MAJOR <= 17) {
        GTEST_SKIP() << "no JDK newer than 17 in /usr/lib/jvm";
    }
    if (fault.settings) {
        std::string text = *fault.settings;
        for (const auto& [name, value] : {std::pair<std::string, std::string>{"{jdk17}", jdk17.string()},
                                          {"{classes}", classes_.string()},
                                          {"{newest}", JLAUNCH_NEWEST_FIXTURES}}) {
            if (const auto at = text.find(name); at != std::string::npos) {
                text.replace(at, name.size(), value);
            }
        }
        std::ofstream(folder_ / "app.ini") << text;
    }
    const LaunchResult r = run({}, {}, folder_);
    EXPECT_EQ(r.exitCode, fault.exitCode) << r.err;
    std::string err = fault.err;
    if (const auto at = err.find("{folder}"); at != std::string::npos) {
        err.replace(at, 8, folder_.string());
    }
    EXPECT_NE(r.err.find(err), std::string::npos) << r.err;
    for (const auto& [file, text] : fault.files) {
        EXPECT_EQ(readFile(folder_ / file).rfind(text, 0), 0u) << file << ": " << readFile(folder_ / file);
    }
}

// Rows are named by their names in test lists.
void PrintTo(const FirstRunFault& row, std::ostream* out) {
    *out << row.name;
}

INSTANTIATE_TEST_SUITE_P(OnOpenJdk17, FirstRunFaults, ::testing::ValuesIn(firstRunFaults()),
                         [](const ::testing::TestParamInfo<FirstRunFault>& row) {
                             return std::string(row.param.name);
                         });

}  // namespace
