// Single-instance forwarding on Linux with a real JDK: the time from starting
// a second instance to secondaryMain being called in the first one, and to
// the second instance's exit, against two baselines measured in the same
// run: a plain launch of the same application (a VM of its own) and the
// bare launcher (no settings file: it reports that and ends).
//
//   single_instance_bench <launcher> <jdk home> <folder with Forwarded.class> [runs]
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;  // CLOCK_MONOTONIC, as Java's System.nanoTime

pid_t spawn(const fs::path& program, std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), program.string());
    std::vector<char*> argv;
    argv.reserve(arguments.size() + 1);
    for (auto& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    std::string locale = "LC_ALL=C.UTF-8";
    char* environment[] = {locale.data(), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environment) != 0) pid = 0;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

double millisecondsSince(Clock::time_point start, Clock::time_point end = Clock::now()) {
    return std::chrono::duration<double, std::milli>(end - start).count();
}

// The run's time in milliseconds; nothing when it failed or took over 60 s.
std::optional<double> timedRun(const fs::path& program, const std::vector<std::string>& arguments) {
    const auto start = Clock::now();
    const pid_t pid = spawn(program, arguments);
    if (pid == 0) return std::nullopt;
    while (millisecondsSince(start) < 60000) {
        if (waitpid(pid, nullptr, WNOHANG) == pid) return millisecondsSince(start);
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    return std::nullopt;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n == 0 ? 0 : n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// The monotonic time of the call whose first argument is `tag`, from the record.
std::optional<long long> callTime(const fs::path& record, const std::string& tag) {
    std::ifstream in(record);
    for (std::string line; std::getline(in, line);) {
        std::istringstream fields(line);
        std::string kind, first;
        long long nanos = 0;
        fields >> kind >> nanos;
        std::getline(fields >> std::ws, first, '\x1F');
        if (kind == "call" && first == tag) return nanos;
    }
    return std::nullopt;
}

void writeSettings(const fs::path& file, const fs::path& jdk, const fs::path& classes, const fs::path& folder,
                   bool single) {
    std::ofstream(file) << "[Java Runtime Environment]\nMain Class=Forwarded\nJRE Path=" << jdk.string()
                        << "\nVirtual Machine Parameters=-Dforwarded.record="
                        << (folder / (single ? "record.txt" : "plain-record.txt")).string()
                        << " -Dforwarded.stop=" << (folder / (single ? "stop" : "never-waits")).string()
                        << "\n[Class Path]\nClass Path=" << classes.string()
                        << "\n[Application]\nSingle Instance=" << (single ? "yes" : "no") << "\n";
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s <launcher> <jdk home> <classes folder> [runs]\n", argv[0]);
        return 2;
    }
    const int runs = argc > 4 ? std::max(1, std::atoi(argv[4])) : 25;
    const fs::path work = fs::temp_directory_path() / ("jlaunch-si-bench-" + std::to_string(getpid()));
    fs::create_directories(work);
    for (const char* name : {"app", "plain", "bare"}) fs::copy_file(argv[1], work / name);
    writeSettings(work / "app.ini", argv[2], argv[3], work, true);
    writeSettings(work / "plain.ini", argv[2], argv[3], work, false);
    std::ofstream(work / "never-waits") << "";

    std::vector<double> plain, bare, toCall, toExit;
    for (int i = 0; i < runs; ++i) {
        if (const auto t = timedRun(work / "plain", {"plain"})) plain.push_back(*t);
        if (const auto t = timedRun(work / "bare", {})) bare.push_back(*t);
    }
    const pid_t first = spawn(work / "app", {"first"});
    const auto ready = Clock::now();
    const auto mainRuns = [&work] {
        std::error_code missing;
        const auto size = fs::file_size(work / "record.txt", missing);
        return !missing && size > 0;
    };
    while (millisecondsSince(ready) < 30000 && !mainRuns()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    for (int i = 0; i < runs; ++i) {
        const std::string tag = std::to_string(1000 + i);
        const auto start = Clock::now();
        const auto exit = timedRun(work / "app", {tag});
        const auto call = callTime(work / "record.txt", tag);
        if (!exit || !call) {
            std::fprintf(stderr, "second instance %d failed\n", i);
            continue;
        }
        toExit.push_back(*exit);
        toCall.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::nanoseconds(*call) - start.time_since_epoch())
                .count());
    }
    std::ofstream(work / "stop") << "stop";
    waitpid(first, nullptr, 0);
    std::error_code ignored;
    fs::remove_all(work, ignored);

    const double plainMs = median(plain);
    const double bareMs = median(bare);
    std::printf("JDK %s, %d runs each (medians)\n", argv[2], runs);
    std::printf("plain launch (own VM)            : %8.1f ms\n", plainMs);
    std::printf("bare launcher (no settings)      : %8.1f ms\n", bareMs);
    std::printf("second instance to secondaryMain : %8.1f ms  = %.3f x plain, %.2f x bare\n", median(toCall),
                median(toCall) / plainMs, median(toCall) / bareMs);
    std::printf("second instance to its exit      : %8.1f ms  = %.3f x plain, %.2f x bare\n", median(toExit),
                median(toExit) / plainMs, median(toExit) / bareMs);
    return toExit.size() == static_cast<std::size_t>(runs) ? 0 : 1;
}
