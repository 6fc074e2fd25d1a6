#pragma once
// A copy of the Linux launcher in a temporary folder, run as a user would
// run it, with its standard streams and exit code caught.
#include <fcntl.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace jvm_tests {

namespace fs = std::filesystem;

inline std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

struct LaunchResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// A copy of the Linux launcher named "app" in a temporary folder.
class LinuxLauncher : public ::testing::Test {
protected:
    void SetUp() override {
        const char* launcher = JLAUNCH_LINUX_LAUNCHER;
        classes_ = JLAUNCH_JVM_FIXTURES;
        std::string pattern = (fs::temp_directory_path() / "jlaunch-jvm-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        folder_ = pattern;
        app_ = folder_ / "app";
        fs::copy_file(launcher, app_);
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }

    // Runs the copy with `arguments` and the `extra` environment variables in
    // `workingFolder` (this process's when empty), through `wrapper` (a
    // program that runs its arguments) when one is given.
    LaunchResult run(const std::vector<std::string>& arguments, const std::vector<std::string>& extra = {},
                     const fs::path& workingFolder = {}, const fs::path& wrapper = {}) const {
        const fs::path out = folder_ / "stdout.txt";
        const fs::path err = folder_ / "stderr.txt";
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (!workingFolder.empty()) {
            posix_spawn_file_actions_addchdir_np(&actions, workingFolder.c_str());
        }
        std::vector<std::string> argv{app_.string()};
        if (!wrapper.empty()) {
            argv.insert(argv.begin(), wrapper.string());
        }
        argv.insert(argv.end(), arguments.begin(), arguments.end());
        std::vector<char*> pointers;
        for (auto& a : argv) pointers.push_back(a.data());
        pointers.push_back(nullptr);
        std::vector<std::string> environment{"LC_ALL=C.UTF-8", "HOME=" + folder_.string(), "PATH=/usr/bin:/bin"};
        environment.insert(environment.end(), extra.begin(), extra.end());
        std::vector<char*> envp;
        for (auto& e : environment) envp.push_back(e.data());
        envp.push_back(nullptr);
        pid_t child = 0;
        LaunchResult result;
        const int spawned = posix_spawn(&child, argv.front().c_str(), &actions, nullptr, pointers.data(), envp.data());
        posix_spawn_file_actions_destroy(&actions);
        if (spawned != 0) {
            ADD_FAILURE() << "cannot start the launcher";
            return result;
        }
        int status = 0;
        waitpid(child, &status, 0);
        result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 1000 + WTERMSIG(status);
        result.out = readFile(out);
        result.err = readFile(err);
        return result;
    }

    fs::path folder_;
    fs::path app_;
    fs::path classes_;
};

}  // namespace jvm_tests
