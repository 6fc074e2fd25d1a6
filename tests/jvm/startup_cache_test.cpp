// "Startup Cache" with every installed JDK: the launcher makes the cache on
// a first launch, the VM maps it on the next, a changed jar gets a cache of
// its own, two launches at once leave one sound cache, and a damaged cache is
// made again without a word to the user.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "installed_jdks.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using jvm_tests::installedJdks;
using jvm_tests::jdkName;

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// The VM logs where each class came from: the jar, or the mapped cache.
constexpr const char* kFromJar = "Hello source: file:";
constexpr const char* kFromCache = "Hello source: shared objects file";

struct Launch {
    pid_t pid = 0;
    int exitCode = -1;
    std::string out;
    std::string err;
    std::string trace;
};

class StartupCache : public ::testing::TestWithParam<fs::path> {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "jlaunch-cache-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        folder_ = pattern;
        fs::copy_file(JLAUNCH_LINUX_LAUNCHER, folder_ / "app");
        fs::copy_file(JLAUNCH_FIXTURE_JAR, folder_ / "app.jar");
        writeSettings("app.jar");
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }

    void writeSettings(const std::string& classPath, const fs::path& runtime = GetParam()) const {
        std::ofstream(folder_ / "app.ini")
            << "[Java Runtime Environment]\nMain Class=Hello\nJRE Path=" << runtime.string()
            << "\nStartup Cache=yes\nVirtual Machine Parameters=-Xlog:class+load=info -XX:ErrorFile="
            << (folder_ / "hs_err.log").string()
            << "\n[Class Path]\nClass Path=" << classPath << "\n";
    }

    // Starts a launch whose output goes to files numbered `n`.
    Launch start(int n) const {
        const std::string tag = std::to_string(n);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, (folder_ / ("out" + tag)).c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0644);
        posix_spawn_file_actions_addopen(&actions, 2, (folder_ / ("err" + tag)).c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0644);
        std::string program = (folder_ / "app").string();
        std::string argument = "x";
        std::vector<std::string> environment{"LC_ALL=C.UTF-8", "HOME=" + folder_.string(), "PATH=/usr/bin:/bin",
                                             "JLAUNCH_TRACE=" + (folder_ / ("trace" + tag)).string()};
        char* argv[] = {program.data(), argument.data(), nullptr};
        std::vector<char*> envp;
        for (auto& e : environment) envp.push_back(e.data());
        envp.push_back(nullptr);
        Launch launch;
        if (posix_spawn(&launch.pid, program.c_str(), &actions, nullptr, argv, envp.data()) != 0) {
            ADD_FAILURE() << "cannot start the launcher";
        }
        posix_spawn_file_actions_destroy(&actions);
        return launch;
    }

    void finish(Launch& launch, int n, bool mustSucceed = true) const {
        int status = 0;
        waitpid(launch.pid, &status, 0);
        launch.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 1000 + WTERMSIG(status);
        const std::string tag = std::to_string(n);
        launch.out = readFile(folder_ / ("out" + tag));
        launch.err = readFile(folder_ / ("err" + tag));
        launch.trace = readFile(folder_ / ("trace" + tag));
        if (mustSucceed) {
            EXPECT_EQ(launch.exitCode, 0) << launch.err;
            EXPECT_NE(launch.out.find("arg:x\n"), std::string::npos) << launch.out;
        }
    }

    Launch run(bool mustSucceed = true) {
        const int n = ++launches_;
        Launch launch = start(n);
        finish(launch, n, mustSucceed);
        return launch;
    }

    // The caches in the application's cache folder, and anything else left there.
    std::vector<fs::path> cacheFolderFiles() const {
        std::vector<fs::path> files;
        std::error_code error;
        for (const auto& entry : fs::directory_iterator(folder_ / ".cache/app", error)) {
            files.push_back(entry.path().filename());
        }
        return files;
    }
    static bool isCache(const fs::path& name) { return name.extension() == ".aot" || name.extension() == ".jsa"; }

    fs::path folder_;
    int launches_ = 0;
};

TEST_P(StartupCache, MadeOnTheFirstLaunchAndMappedOnTheNext) {
    const Launch first = run();
    EXPECT_NE(first.out.find(kFromJar), std::string::npos) << first.out;
    // The runtime's own words about making the cache stay in the trace.
    for (const std::string* text : {&first.out, &first.err}) {
        EXPECT_EQ(text->find("AOTConfiguration"), std::string::npos) << *text;
        EXPECT_EQ(text->find("AOTCache"), std::string::npos) << *text;
    }
    const auto files = cacheFolderFiles();
    ASSERT_EQ(files.size(), 1u) << first.trace;  // the cache alone, no temporary left
    EXPECT_TRUE(isCache(files[0])) << files[0];
    EXPECT_EQ(fs::status(folder_ / ".cache/app").permissions() & fs::perms::all, fs::perms::owner_all);

    const Launch second = run();
    EXPECT_NE(second.out.find(kFromCache), std::string::npos) << second.out << second.trace;
    EXPECT_EQ(second.out.find(kFromJar), std::string::npos) << second.out;
    EXPECT_EQ(cacheFolderFiles(), files);
}

// A jlinked runtime may have no java executable: the launcher makes the cache itself.
TEST_P(StartupCache, ARuntimeWithoutJavaGetsOneToo) {
    const fs::path runtime = folder_ / "runtime";
    fs::create_directories(runtime / "bin");
    for (const auto& entry : fs::directory_iterator(GetParam())) {
        if (entry.path().filename() != "bin") {
            fs::create_directory_symlink(entry.path(), runtime / entry.path().filename());
        }
    }
    fs::create_symlink(GetParam() / "bin" / "javac", runtime / "bin" / "javac");
    writeSettings("app.jar", runtime);
    const Launch first = run();
    const auto files = cacheFolderFiles();
    ASSERT_EQ(files.size(), 1u) << first.trace;
    // From Java 25 on still the AOT cache, not the older archive.
    const std::string release = readFile(GetParam() / "release");
    const auto at = release.find("JAVA_VERSION=\"");
    ASSERT_NE(at, std::string::npos);
    EXPECT_EQ(files[0].extension(), std::stoi(release.substr(at + 14)) >= 25 ? ".aot" : ".jsa");
    const Launch second = run();
    EXPECT_NE(second.out.find(kFromCache), std::string::npos) << second.out << second.trace;
}

TEST_P(StartupCache, AChangedJarGetsACacheOfItsOwn) {
    run();
    const auto before = cacheFolderFiles();
    ASSERT_EQ(before.size(), 1u);
    fs::last_write_time(folder_ / "app.jar", fs::last_write_time(folder_ / "app.jar") + std::chrono::hours(1));

    const Launch changed = run();
    EXPECT_NE(changed.trace.find("to be made when the application ends"), std::string::npos) << changed.trace;
    EXPECT_NE(changed.out.find(kFromJar), std::string::npos) << changed.out;
    const auto after = cacheFolderFiles();
    EXPECT_EQ(after.size(), 2u);
    const Launch next = run();
    EXPECT_NE(next.out.find(kFromCache), std::string::npos) << next.out << next.trace;
}

TEST_P(StartupCache, TwoLaunchesAtOnceLeaveOneSoundCache) {
    Launch one = start(++launches_);
    Launch two = start(++launches_);
    finish(one, 1);
    finish(two, 2);
    const auto files = cacheFolderFiles();
    ASSERT_EQ(files.size(), 1u) << one.trace << two.trace;
    EXPECT_TRUE(isCache(files[0])) << files[0];
    const Launch next = run();
    EXPECT_NE(next.out.find(kFromCache), std::string::npos) << next.out << next.trace;
}

TEST_P(StartupCache, ADamagedCacheIsMadeAgainWithoutAWord) {
    run();
    const auto files = cacheFolderFiles();
    ASSERT_EQ(files.size(), 1u);
    std::ofstream(folder_ / ".cache/app" / files[0], std::ios::binary | std::ios::trunc) << "damaged";
    const Launch damaged = run();
    for (const std::string* text : {&damaged.out, &damaged.err}) {
        EXPECT_EQ(text->find("error"), std::string::npos) << *text;
        EXPECT_EQ(text->find("warning"), std::string::npos) << *text;
    }
    // Made again at the latest by the launch after the one that found it damaged.
    run();
    const Launch later = run();
    EXPECT_NE(later.out.find(kFromCache), std::string::npos) << later.out << later.trace;
}

// A cache cut off behind a sound header (a full disk, a copy broken off):
// an older runtime maps it and crashes; that launch at most.
TEST_P(StartupCache, ACutOffCacheFailsOneLaunchAtMost) {
    run();
    const auto files = cacheFolderFiles();
    ASSERT_EQ(files.size(), 1u);
    const fs::path cache = folder_ / ".cache/app" / files[0];
    fs::permissions(cache, fs::perms::owner_write, fs::perm_options::add);
    fs::resize_file(cache, 20000);
    run(false);
    const Launch after = run();
    run();
    const Launch later = run();
    EXPECT_NE(later.out.find(kFromCache), std::string::npos) << after.trace << later.out << later.trace;
}

TEST_P(StartupCache, AClassFolderRunsWithoutACache) {
    fs::create_directories(folder_ / "classes");
    fs::copy(JLAUNCH_JVM_FIXTURES, folder_ / "classes", fs::copy_options::recursive);
    writeSettings("classes");
    const Launch launch = run();
    EXPECT_NE(launch.trace.find("a folder on the class path"), std::string::npos) << launch.trace;
    EXPECT_TRUE(cacheFolderFiles().empty());
}

INSTANTIATE_TEST_SUITE_P(InstalledJdks, StartupCache, ::testing::ValuesIn(installedJdks()), jdkName);

}  // namespace
