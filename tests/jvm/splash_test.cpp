// The Linux launcher showing the runtime's own splash (lib/libsplashscreen.so)
// of every JDK in /usr/lib/jvm that has one, on an Xvfb screen of 1920 x 1080
// (tests/support/with-xvfb.sh), while the fixture SplashProbe's main runs.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "../support/splash_pictures.h"

namespace {

namespace fs = std::filesystem;

std::vector<fs::path> jdksWithSplash() {
    std::set<fs::path> homes;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator("/usr/lib/jvm", error)) {
        const fs::path home = fs::canonical(entry.path(), error);
        if (!error && fs::exists(home / "lib/server/libjvm.so") && fs::exists(home / "lib/libsplashscreen.so")) {
            homes.insert(home);
        }
    }
    return {homes.begin(), homes.end()};
}

class NativeSplash : public ::testing::TestWithParam<fs::path> {
protected:
    NativeSplash() {
        std::string pattern = (fs::temp_directory_path() / "jlaunch-splash-XXXXXX").string();
        folder_ = mkdtemp(pattern.data());
        fs::copy_file(JLAUNCH_LINUX_LAUNCHER, folder_ / "app");
        std::ofstream(folder_ / "picture.png", std::ios::binary) << splash_test::pngFile(601, 301);
        fs::create_directory(folder_ / "tmp");
        std::ofstream(folder_ / "app.ini")
            << "[Java Runtime Environment]\nMain Class=SplashProbe\nJRE Path=" << GetParam().string()
            << "\n[Class Path]\nClass Path=" << JLAUNCH_JVM_FIXTURES
            << "\nVirtual Machine Parameters=-XX:ErrorFile=" << (folder_ / "hs_err_%p.log").string()
            << "\n[Display]\nSplash Screen=" << (folder_ / "picture.png").string() << "\n";
    }
    ~NativeSplash() override { fs::remove_all(folder_); }

    // Starts the launcher with `display` (none: no display variable); its
    // standard output goes to out.txt.
    pid_t start(const char* display) const {
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, (folder_ / "out.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0644);
        posix_spawn_file_actions_addopen(&actions, 2, (folder_ / "err.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0644);
        std::vector<std::string> argv{(folder_ / "app").string(), (folder_ / "release").string()};
        std::vector<std::string> environment{"LC_ALL=C.UTF-8", "HOME=" + folder_.string(), "PATH=/usr/bin:/bin"};
        if (display != nullptr) environment.push_back(std::string("DISPLAY=") + display);
        environment.push_back("TMPDIR=" + (folder_ / "tmp").string());
        std::vector<char*> args, envp;
        for (auto& a : argv) args.push_back(a.data());
        for (auto& e : environment) envp.push_back(e.data());
        args.push_back(nullptr);
        envp.push_back(nullptr);
        pid_t child = 0;
        EXPECT_EQ(posix_spawn(&child, args[0], &actions, nullptr, args.data(), envp.data()), 0);
        posix_spawn_file_actions_destroy(&actions);
        return child;
    }
    // What main reported about the splash, once it has (30 s at most).
    std::string reported() const {
        for (int i = 0; i < 300; ++i) {
            std::ifstream out(folder_ / "out.txt");
            std::string line;
            if (std::getline(out, line) && line.starts_with("splash=") && !out.eof()) return line;
            usleep(100000);
        }
        return "nothing";
    }
    int finish(pid_t child) const {
        std::ofstream(folder_ / "release") << "";
        int status = 0;
        waitpid(child, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : 1000 + WTERMSIG(status);
    }

    fs::path folder_;
};

TEST_P(NativeSplash, PictureIsShownWhileMainRunsAndTheApplicationSeesTheSplash) {
    const char* display = getenv("DISPLAY");
    const char* screenFile = getenv("JLAUNCH_SCREEN_FILE");
    ASSERT_TRUE(display != nullptr && screenFile != nullptr) << "run under tests/support/with-xvfb.sh";
    const pid_t child = start(display);
    EXPECT_EQ(reported(), "splash=java.awt.Rectangle[x=659,y=389,width=601,height=301]");
    EXPECT_EQ(splash_test::pictureShownAt(screenFile, 659, 389, 601, 301), "");
    EXPECT_EQ(finish(child), 0);
    EXPECT_NE(splash_test::pictureShownAt(screenFile, 659, 389, 601, 301, 1), "") << "the splash outlived the launcher";

    // Without a display nothing is shown and the application starts all the same.
    const pid_t headless = start(nullptr);
    EXPECT_EQ(reported(), "splash=headless");
    EXPECT_EQ(finish(headless), 0);
}

// An executable jar's own picture ("SplashScreen-Image") when no "Splash
// Screen" is set, as "java -jar" shows it; its copy for the splash library
// is gone once the picture is up.
TEST_P(NativeSplash, TheJarsOwnPictureIsShownWithoutSplashScreen) {
    const char* display = getenv("DISPLAY");
    const char* screenFile = getenv("JLAUNCH_SCREEN_FILE");
    ASSERT_TRUE(display != nullptr && screenFile != nullptr) << "run under tests/support/with-xvfb.sh";
    std::ofstream(folder_ / "manifest.txt") << "Manifest-Version: 1.0\nMain-Class: SplashProbe\n"
                                               "SplashScreen-Image: pictures/splash.png\n";
    const std::string make = "python3 '" + std::string(JLAUNCH_SOURCE_DIR) + "/tests/unit/make_jar.py' '" +
                             (folder_ / "app.jar").string() + "' deflated '' META-INF/MANIFEST.MF '@" +
                             (folder_ / "manifest.txt").string() + "' pictures/splash.png '@" +
                             (folder_ / "picture.png").string() + "'";
    ASSERT_EQ(std::system(make.c_str()), 0) << make;
    std::ofstream(folder_ / "app.ini") << "[Java Runtime Environment]\nMain Jar=app.jar\nJRE Path="
                                       << GetParam().string() << "\n[Class Path]\nClass Path=" << JLAUNCH_JVM_FIXTURES
                                       << "\n";
    const pid_t child = start(display);
    EXPECT_EQ(reported(), "splash=java.awt.Rectangle[x=659,y=389,width=601,height=301]");
    EXPECT_EQ(splash_test::pictureShownAt(screenFile, 659, 389, 601, 301), "");
    EXPECT_TRUE(fs::is_empty(folder_ / "tmp"));
    EXPECT_EQ(finish(child), 0);
}

// The splash library closes its screen on a thread of its own; a process
// that exits meanwhile pulls the display from under that thread, and the VM
// reports the crash (an hs_err file, "A fatal error") while the exit code
// stays 0. A few quick launches in a row, each ending as soon as main returns.
TEST_P(NativeSplash, ClosingTheSplashAtExitNeverCrashes) {
    const char* display = getenv("DISPLAY");
    ASSERT_NE(display, nullptr) << "run under tests/support/with-xvfb.sh";
    std::ofstream(folder_ / "release") << "";
    for (int run = 0; run < 8; ++run) {
        SCOPED_TRACE(run);
        EXPECT_EQ(finish(start(display)), 0);
        std::ifstream err(folder_ / "err.txt");
        std::ifstream out(folder_ / "out.txt");
        const std::string said =
            std::string(std::istreambuf_iterator<char>(err), {}) + std::string(std::istreambuf_iterator<char>(out), {});
        EXPECT_EQ(said.find("A fatal error"), std::string::npos) << said;
    }
    for (const auto& entry : fs::directory_iterator(folder_)) {
        EXPECT_FALSE(entry.path().filename().string().starts_with("hs_err")) << entry.path();
    }
}

std::string jdkName(const ::testing::TestParamInfo<fs::path>& info) {
    std::string name = info.param.filename().string();
    for (char& c : name) {
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    }
    return name;
}

INSTANTIATE_TEST_SUITE_P(InstalledJdks, NativeSplash, ::testing::ValuesIn(jdksWithSplash()), jdkName);

}  // namespace
