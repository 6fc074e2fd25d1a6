#include "real_runtime.h"

#include <algorithm>

#include "../jvm/real_vm_cases.h"

namespace jlaunch::test {

namespace {

// HotSpot asks for the process group affinity, which Wine lacks, and warns
// about it on every start unless it is told the processor count.
constexpr char kWineVmParameters[] = "-Xcheck:jni -XX:ActiveProcessorCount=2 ";

}  // namespace

std::wstring windowsPath(std::string path) {
    std::replace(path.begin(), path.end(), '/', '\\');
    return widen(path);
}

const std::wstring& runtimeHome() {
    static const std::wstring home = windowsPath(JLAUNCH_WINDOWS_RUNTIME);
    return home;
}

std::wstring commandLineArgument(const std::wstring& argument) {
    return argument.empty() || argument.find(L' ') != std::wstring::npos ? L"\"" + argument + L"\"" : argument;
}

void RealRuntime::SetUp() {
    if (GetFileAttributesW((runtimeHome() + L"\\bin\\server\\jvm.dll").c_str()) == INVALID_FILE_ATTRIBUTES) {
        GTEST_SKIP() << "no Windows Java runtime at " << narrowForReport(runtimeHome())
                     << ": scripts/fetch-windows-runtime fetches it";
    }
}

void RealRuntime::install(const wchar_t* launcher) const {
    const std::wstring under = launcherUnderTest();
    const std::wstring source = under.substr(0, under.rfind(L'\\') + 1) + launcher;
    ASSERT_TRUE(CopyFileW(source.c_str(), app().c_str(), FALSE)) << narrowForReport(source);
}

void RealRuntime::writeSettings(const std::string& mainClass, const std::string& vmParameters,
                                const std::string& application, const std::string& more) const {
    const std::string text = "[Java Runtime Environment]\nMain Class=" + mainClass +
                             "\nJRE Path=" + utf8Bytes(runtimeHome()) +
                             "\nVirtual Machine Parameters=" + kWineVmParameters + vmParameters +
                             "\n[Class Path]\nClass Path=" + utf8Bytes(windowsPath(JLAUNCH_JVM_FIXTURES)) +
                             "\n[Application]\n" + application + more;
    folder_.writeFile(L"app.ini", utf16Bytes(widen(jvm_tests::replaced(text, "\n", "\r\n"))));
}

std::wstring RealRuntime::commandLine(const std::vector<std::string>& arguments) const {
    std::wstring line = quoted(app());
    for (const std::string& argument : arguments) line += L" " + commandLineArgument(widen(argument));
    return line;
}

RunResult RealRuntime::run(const std::vector<std::string>& arguments, const EnvironmentChanges& environment) const {
    RunResult result;
    const std::wstring out = files_ / L"stdout.txt";
    const std::wstring err = files_ / L"stderr.txt";
    ChildProcess child = ChildProcess::startWithOutput(app(), commandLine(arguments), out, err, environment);
    if (!child.started()) {
        ADD_FAILURE() << "the launcher did not start: system error " << child.startError();
        return result;
    }
    result.exitCode = child.waitForExit(kJavaTimeout);
    result.out = jvm_tests::withNewlines(readFileBytes(out).value_or(""));
    result.err = jvm_tests::withNewlines(readFileBytes(err).value_or(""));
    return result;
}

}  // namespace jlaunch::test
