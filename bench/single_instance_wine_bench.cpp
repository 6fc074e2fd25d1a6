// Under Wine, with the JNI test double: the time from starting a second
// instance to secondaryMain being called in the first one, and to the second
// instance's exit, against a plain launch of the same application (a VM of
// its own) measured in the same run. Its one argument is the number of runs
// (25 when not given):
//   tests/wine/wine-run.sh build/windows/tests/windows/bench_single_instance.exe
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "../fakes/fake_jvm_script.h"
#include "launch_helper.h"

namespace jlaunch::test {
namespace {

using Clock = std::chrono::steady_clock;

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n == 0 ? 0 : n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

double millisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

std::string settings(bool single) {
    std::wstring text = L"[Java Runtime Environment]\r\nJRE Path=" + fake_jvm::fakeJavaHome(fake_jvm::Variant::Full) +
                        L"\r\nMain Class=com.acme.App\r\n[Class Path]\r\nClass Path=C:\\app.jar\r\n";
    if (single) text += L"[Application]\r\nSingle Instance=yes\r\n";
    return utf16Bytes(text);
}

int run(int runs) {
    const TemporaryFolder files;
    const LauncherCopy plain(L"app.exe");
    const LauncherCopy single(L"app.exe");
    plain.writeSettings(settings(false));
    single.writeSettings(settings(true));
    fake_jvm::Script firstScript;
    firstScript.appClass("com/acme/App")
        .mainDoes(fake_jvm::Step::nonDaemonThread(600000))
        .secondaryMainReturningFirstArgument();
    fake_jvm::Script laterScript;
    laterScript.appClass("com/acme/App");
    const std::wstring firstTrace = files / L"first.txt";
    if (!firstScript.writeTo(files / L"first-script.txt") || !laterScript.writeTo(files / L"later-script.txt")) {
        return 1;
    }
    const EnvironmentChanges later = {{fake_jvm::kScriptVariable, files / L"later-script.txt"},
                                      {fake_jvm::kTraceVariable, files / L"later.txt"}};

    std::vector<double> plainRuns;
    for (int i = 0; i < runs; ++i) {
        const auto start = Clock::now();
        ChildProcess launch = plain.start(L"plain", later);
        if (launch.waitForExit() == 0) plainRuns.push_back(millisecondsSince(start));
    }

    ChildProcess first = single.start(
        L"first", {{fake_jvm::kScriptVariable, files / L"first-script.txt"}, {fake_jvm::kTraceVariable, firstTrace}});
    const auto calls = [&firstTrace] { return fake_jvm::Trace::read(firstTrace).after("SECONDARY-CALL ").size(); };
    for (const auto ready = Clock::now();
         !fake_jvm::Trace::read(firstTrace).containsPrefix("MAIN-ENTER ") && millisecondsSince(ready) < 30000;) {
        Sleep(5);
    }
    std::vector<double> toCall;
    std::vector<double> toExit;
    for (int i = 0; i < runs; ++i) {
        const std::size_t before = calls();
        const auto start = Clock::now();
        ChildProcess second = single.start(std::to_wstring(1000 + i), later);
        double called = 0;
        double exited = 0;
        while ((called == 0 || exited == 0) && millisecondsSince(start) < 30000) {
            if (called == 0 && calls() > before) called = millisecondsSince(start);
            if (exited == 0 && !second.running()) exited = millisecondsSince(start);
            Sleep(1);
        }
        if (called > 0 && exited > 0 && second.waitForExit() == 1000 + i) {
            toCall.push_back(called);
            toExit.push_back(exited);
        }
    }
    first.kill();

    const double plainMs = median(plainRuns);
    std::printf("Under Wine, JNI test double, %d runs each (medians)\n", runs);
    std::printf("plain launch (own VM)            : %8.1f ms\n", plainMs);
    std::printf("second instance to secondaryMain : %8.1f ms  = %.2f x plain\n", median(toCall),
                median(toCall) / plainMs);
    std::printf("second instance to its exit      : %8.1f ms  = %.2f x plain\n", median(toExit),
                median(toExit) / plainMs);
    return toExit.size() == static_cast<std::size_t>(runs) ? 0 : 1;
}

}  // namespace
}  // namespace jlaunch::test

int main(int argc, char** argv) {
    return jlaunch::test::run(argc > 1 ? std::max(1, std::atoi(argv[1])) : 25);
}
