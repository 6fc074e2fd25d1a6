// Single instance of the Linux launcher with every installed JDK: a first
// instance runs the Forwarded fixture; second instances hand it their
// arguments and end with what its secondaryMain returns. Every process has a
// time limit and is killed when it overruns.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "installed_jdks.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Arguments = std::vector<std::string>;
using jvm_tests::installedJdks;
using jvm_tests::jdkName;

// A started launcher, killed when it still runs at the end.
class Process {
public:
    // `errors`, when given, receives the standard error.
    Process(const fs::path& program, Arguments arguments, const fs::path& errors = {}) {
        arguments.insert(arguments.begin(), program.string());
        std::vector<char*> argv;
        argv.reserve(arguments.size() + 1);
        for (auto& argument : arguments) argv.push_back(argument.data());
        argv.push_back(nullptr);
        std::string locale = "LC_ALL=C.UTF-8";
        char* environment[] = {locale.data(), nullptr};
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        if (!errors.empty()) {
            posix_spawn_file_actions_addopen(&actions, 2, errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        }
        if (posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv.data(), environment) != 0) pid_ = 0;
        posix_spawn_file_actions_destroy(&actions);
    }
    ~Process() {
        if (pid_ != 0 && !code_) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
    }
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    // The exit code; nothing when the process still runs after `limit`.
    std::optional<int> waitFor(std::chrono::milliseconds limit = 30s) {
        int status = 0;
        for (auto end = std::chrono::steady_clock::now() + limit; pid_ != 0 && !code_;
             std::this_thread::sleep_for(5ms)) {
            if (waitpid(pid_, &status, WNOHANG) == pid_) {
                code_ = WIFEXITED(status) ? WEXITSTATUS(status) : 1000 + WTERMSIG(status);
            } else if (std::chrono::steady_clock::now() > end) {
                return std::nullopt;
            }
        }
        return code_;
    }
    void killNow() const { kill(pid_, SIGKILL); }

private:
    pid_t pid_ = 0;
    std::optional<int> code_;
};

class SingleInstanceJvm : public ::testing::TestWithParam<fs::path> {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "jlaunch-si-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        folder_ = pattern;
        fs::copy_file(JLAUNCH_LINUX_LAUNCHER, app_ = folder_ / "app");
    }
    void TearDown() override { fs::remove_all(folder_); }

    // Starts the first instance with Forwarded's secondaryMain taking
    // `delayMs` a call, and waits until its main runs.
    std::unique_ptr<Process> startFirst(int delayMs = 0, const std::string& mainClass = "Forwarded") {
        std::ofstream(folder_ / "app.ini")
            << "[Java Runtime Environment]\nMain Class=" << mainClass << "\nJRE Path=" << GetParam().string()
            << "\nVirtual Machine Parameters=-Xcheck:jni -Dforwarded.record=" << (folder_ / "record").string()
            << " -Dforwarded.stop=" << (folder_ / "stop").string() << " -Dforwarded.delay=" << delayMs
            << "\n[Class Path]\nClass Path=" << JLAUNCH_JVM_FIXTURES << "\n[Application]\nSingle Instance=yes\n";
        auto first = std::make_unique<Process>(app_, Arguments{"first"}, folder_ / "first-errors");
        for (auto end = std::chrono::steady_clock::now() + 30s;
             recorded("main").empty() && std::chrono::steady_clock::now() < end;) {
            std::this_thread::sleep_for(10ms);
        }
        EXPECT_EQ(recorded("main").size(), 1u);
        return first;
    }
    void stopFirst() const { std::ofstream(folder_ / "stop") << "stop"; }

    // The arguments of each line of one kind ("main" or "call") of the record.
    std::vector<Arguments> recorded(const std::string& kind) const {
        std::ifstream in(folder_ / "record");
        std::vector<Arguments> lists;
        for (std::string line; std::getline(in, line);) {
            if (line.rfind(kind + " ", 0) != 0) continue;
            std::stringstream rest(line.substr(line.find(' ', kind.size() + 1) + 1) + "\x1F");
            lists.emplace_back();
            for (std::string argument; std::getline(rest, argument, '\x1F');) lists.back().push_back(argument);
        }
        return lists;
    }

    // Starts 20 second instances at once: arguments {100 + i, ...}.
    std::vector<std::unique_ptr<Process>> startTwenty() const {
        std::vector<std::unique_ptr<Process>> seconds;
        seconds.reserve(20);
        for (int i = 0; i < 20; ++i) {
            seconds.push_back(std::make_unique<Process>(
                app_, Arguments{std::to_string(100 + i), "\xE2\x82\xAC " + std::to_string(i)}));
        }
        return seconds;
    }

    fs::path folder_;
    fs::path app_;
};

TEST_P(SingleInstanceJvm, UnicodeArgumentsReachSecondaryMainAndItsIntIsTheExitCode) {
    auto first = startFirst();
    const Arguments unicode{"42", "\xC3\xA9t\xC3\xA9 \xE4\xB8\xAD\xF0\x9F\x98\x80", "", "with space", ""};
    EXPECT_EQ(Process(app_, unicode).waitFor(), 42);
    // No arguments arrive as one empty one; too many for the block end the launch with -1.
    EXPECT_EQ(Process(app_, {}).waitFor(), 0);
    EXPECT_EQ(Process(app_, {"9", std::string(600, 'x')}, folder_ / "errors").waitFor(), 255);
    std::ifstream errors(folder_ / "errors");
    const std::string said((std::istreambuf_iterator<char>(errors)), std::istreambuf_iterator<char>());
    EXPECT_NE(said.find("take 1208 bytes; the running instance takes at most 1040"), std::string::npos)
        << "a launch whose arguments are dropped says so: " << said;
    EXPECT_EQ(recorded("call"), (std::vector<Arguments>{unicode, {""}}));
    stopFirst();
    EXPECT_EQ(first->waitFor(), 0);
    EXPECT_EQ(recorded("main").size(), 1u);
}

// Without secondaryMain a later launch has nothing to hand over: it ends
// with 0 at once (on Windows the first instance's window comes to the
// front), and the first instance says nothing about it.
TEST_P(SingleInstanceJvm, WithoutSecondaryMainTheSecondInstanceEndsAtOnceWithZero) {
    auto first = startFirst(0, "NoSecondary");
    EXPECT_EQ(Process(app_, {"x"}).waitFor(), 0);
    EXPECT_EQ(Process(app_, {}).waitFor(), 0);
    EXPECT_FALSE(first->waitFor(300ms).has_value());  // still running
    stopFirst();                                      // System.exit(7)
    EXPECT_EQ(first->waitFor(), 7);
    std::ifstream errors(folder_ / "first-errors");
    const std::string said((std::istreambuf_iterator<char>(errors)), std::istreambuf_iterator<char>());
    EXPECT_EQ(said, "");
    EXPECT_EQ(recorded("main").size(), 1u);
}

TEST_P(SingleInstanceJvm, TwentySecondInstancesAtOnceAreEachServedOnceWithTheirOwnCode) {
    auto first = startFirst();
    auto seconds = startTwenty();
    std::map<Arguments, int> calls;
    for (int i = 0; i < 20; ++i) {
        EXPECT_EQ(seconds[static_cast<std::size_t>(i)]->waitFor(60s), 100 + i) << "second instance " << i;
        calls[{std::to_string(100 + i), "\xE2\x82\xAC " + std::to_string(i)}] = 0;
    }
    for (const Arguments& call : recorded("call")) ++calls[call];
    EXPECT_EQ(calls.size(), 20u);
    for (const auto& [arguments, count] : calls) EXPECT_EQ(count, 1) << arguments[0];
    stopFirst();
    EXPECT_EQ(first->waitFor(), 0);
}

TEST_P(SingleInstanceJvm, KillingTheFirstInstanceHalfWayLeavesNoSecondInstanceWaiting) {
    auto first = startFirst(100);  // one call after the other, a tenth of a second each
    auto seconds = startTwenty();
    for (auto end = std::chrono::steady_clock::now() + 30s;
         recorded("call").size() < 5 && std::chrono::steady_clock::now() < end;) {
        std::this_thread::sleep_for(5ms);
    }
    first->killNow();
    stopFirst();  // a launch that becomes the next first instance ends at once
    for (int i = 0; i < 20; ++i) {
        const auto code = seconds[static_cast<std::size_t>(i)]->waitFor(60s);
        ASSERT_TRUE(code.has_value()) << "second instance " << i << " still waits";
        // Its answer, the dead first instance's unknown code, or a run of its own.
        EXPECT_TRUE(*code == 100 + i || *code == 255 || *code == 0) << i << ": " << *code;
    }
    std::map<Arguments, int> served;
    for (const Arguments& call : recorded("call")) EXPECT_EQ(++served[call], 1) << call[0] << " served twice";
}

INSTANTIATE_TEST_SUITE_P(InstalledJdks, SingleInstanceJvm, ::testing::ValuesIn(installedJdks()), jdkName);

}  // namespace
