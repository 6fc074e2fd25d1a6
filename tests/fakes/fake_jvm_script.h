#pragma once
// The test side of the fake jvm.dll: where its Java homes lie, a writer for
// its script and a reader for its trace. Header-only; Windows tests include
// it as "../fakes/fake_jvm_script.h".
//
// SCRIPT (the file named by JLAUNCH_FAKE_JVM_SCRIPT; UTF-8; one "key = value"
// per line; lines starting with '#' or ';' are comments; values are trimmed,
// and take the trace escapes \n \r \t \\ \xHH \uHHHH). Without the variable:
// one class "Main" whose static main returns.
//
//   [vm]
//   create-result = 0             JNI_CreateJavaVM's result once the options passed (-1..-6, -7, ...)
//   create-wait-file = PATH       JNI_CreateJavaVM first waits until the file exists (a minute at most)
//   check-options = yes           refuse unknown options as a real VM does (ignoreUnrecognized false)
//   accept-option = -Xfoo         also know options starting with this (repeatable)
//   default-stack-size = 1048576  javaStackSize that JNI_GetDefaultJavaVMInitArgs reports
//   create-delay = 0              milliseconds JNI_CreateJavaVM takes before it succeeds
//   launcher-helper = real        checkAndLoadMain: real | class | null | missing (see below)
//   missing-class = java/io/PrintStream                               (repeatable)
//   missing-method = java/lang/System setErr (Ljava/io/PrintStream;)V  (repeatable)
//   [class com/acme/Main]         an application class, slash form (repeatable)
//   main = static                 static | instance | none
//   action = print-out Hello      what main does, in order (repeatable)
//   secondary-main = int          none | void | int
//   secondary-result = 7          what an int secondaryMain returns; first-argument: the
//                                 number its first argument holds (0 when none)
//   secondary-action = sleep 100  what secondaryMain does (repeatable)
//   load-error = CLASS TEXT       FindClass of this class fails with that exception (TEXT as for throw)
//
// Actions: return | print-out TEXT | print-err TEXT (println on System.out /
// System.err, "\r\n" ended, UTF-8) | sleep MS (main blocks) | thread MS (a
// non-daemon thread lives MS, so DestroyJavaVM waits) | exit CODE
// (System.exit: exit hook, then ExitProcess) | throw CLASS TEXT (main ends
// with that exception pending; TEXT is its printStackTrace output) | abort
// (abort hook, then ExitProcess(3)) | wait-file PATH (main waits until the
// file exists, a minute at most; traced as WAIT-FILE found|timed out).
//
// launcher-helper: real = a real VM's sun/launcher/LauncherHelper (the name
// with dots or slashes): the class, or "Error: Could not find or load main
// class X" / "Error: Main method not found in class X..." / "Error: Main
// method is not static in class X..." on System.err and System.exit(1), so the
// exit hook runs with 1 and the process ends with 1; class = the class
// when it exists, else null with ClassNotFoundException pending; null =
// always null with ClassNotFoundException pending; missing = no such class.
//
// TRACE (the file named by JLAUNCH_FAKE_JVM_TRACE; UTF-8, appended, one event
// per line, written through at once). Text is escaped as in
// fake_jvm_protocol.h: option strings byte by byte (non-ASCII as \xHH),
// Java text as UTF-8 (lone surrogates as \uHHHH). The keywords:
//   GetDefaultJavaVMInitArgs version=0x00010001 -> -1 javaStackSize=1048576
//   CreateJavaVM version=0x00010002 nOptions=3 ignoreUnrecognized=0
//   MODULE <path of the loaded jvm.dll>       SCRIPT <path> | SCRIPT (defaults)
//   OPTION <i> <text>                         one per option, in order
//   HOOK exit non-null | HOOK abort null      for the "exit" and "abort" options
//   EXTRAINFO <i> non-null                    another option with extra information
//   STACK reserved=<bytes> via=GetCurrentThreadStackLimits|VirtualQuery virtual-query=<bytes>
//   ENV KOV_JVM_PATH=<value> | ENV KOV_JVM_PATH (unset); also KOV_JVM_HOME and Path
//   UNRECOGNIZED <text> | INVALID <text> | IGNORED <text>   an option a real VM refuses (-1 / -6) or ignores
//   VM-ERROR <message>                        what the VM printed to stderr then, e.g. "Unrecognized option: -Xfoo"
//   CREATE-WAIT-FILE found|timed out, WAIT-FILE found|timed out   the waits of the script
//   CREATE-RESULT <code> [thread=1]
//   JNI <Function> <details> [-> <result>]   every JNIEnv call, e.g.
//       JNI FindClass java/lang/String -> found, JNI GetStaticMethodID Main main ([Ljava/lang/String;)V -> found,
//       JNI CallStaticVoidMethod Main.main([Ljava/lang/String;)V
//   JVM_FindClassFromBootLoader <name> -> found|null
//   THROWN <class> thread=<n>                 an exception became pending
//   CHECK-AND-LOAD-MAIN printToStderr=1 mode=1 name=<text>
//   MAIN-ENTER <class> argc=<n>|null thread=<n>, ARG <i> <text>, ARG-NULL <i>, MAIN-RETURN <class>,
//   MAIN-THROW <class> <exception class>; SECONDARY-ENTER/-ARG/-RETURN [result=<n>]/-THROW likewise
//   SECONDARY-CALL <class> result=<n> argc=<k> args=<a0>TAB<a1>...   one line per secondaryMain call
//   OUT <text> | ERR <text>                   what went to System.out / System.err (ExceptionDescribe and an
//                                             exception pending at detach print 'Exception in thread "main" ...')
//   SETOUT <stream> | SETERR <stream>         e.g. PrintStream(FileOutputStream(C:\\o.log,append=true))
//   FILE-OPEN append=<0|1> result=ok|error <n> <path>
//   PRINT-STACK-TRACE <class> -> <stream>
//   SLEEP ms=<n>, NONDAEMON-START ms=<n> t=<ms>, NONDAEMON-END t=<ms>   (t: since creation)
//   AttachCurrentThread thread=<n> args=null [already-attached] -> 0
//   GetEnv version=<hex> -> <code>
//   DetachCurrentThread thread=<n> live-local-refs=<k> -> 0 | DetachCurrentThread thread=unattached -> 0
//   LEAK thread=<n> local-refs=<k>: <objects> | LEAK thread=<n> utf-chars=<k>
//   UNCAUGHT thread=<n> <class>               detached with an exception pending (printed as Java does)
//   DestroyJavaVM begin thread=<n>|unattached t=<ms> nondaemon=<k> attached-others=<k>
//   DestroyJavaVM end t=<ms> -> 0
//   SYSTEM-EXIT <code> thread=<n>, EXIT-HOOK <code> | EXIT-HOOK none, EXIT-HOOK-RETURNED <code>,
//   ABORT-HOOK, EXIT-PROCESS <code>
//   MISUSE <function>: <what>                 JNI discipline broken; the call goes on
//   UNEXPECTED JNI call <name> (JNIEnv slot <n>)   then the process exits with 0x7E57
//   SCRIPT-ERROR <path> line <n>: <why>            then the process exits with 0x7E58
#include <windows.h>

#include <cstddef>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "fake_jvm_protocol.h"

namespace fake_jvm {

// --- files ----------------------------------------------------------------------

// The file's bytes; nothing when it cannot be read.
inline std::optional<std::string> readBinaryFile(const std::wstring& path) {
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::nullopt;
    std::string bytes;
    char chunk[4096];
    DWORD read = 0;
    while (ReadFile(file, chunk, sizeof chunk, &read, nullptr) && read > 0) {
        bytes.append(chunk, read);
    }
    CloseHandle(file);
    return bytes;
}

inline bool writeBinaryFile(const std::wstring& path, std::string_view bytes) {
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool ok =
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) && written == bytes.size();
    CloseHandle(file);
    return ok;
}

// --- the fake Java homes ------------------------------------------------------------

enum class Variant { Full, NoFindClass, NoDefaultArgs, Client, Dependent, RealSplash, SplashDouble, SplashNoJarName };

inline const wchar_t* variantFolder(Variant variant) {
    switch (variant) {
        case Variant::NoFindClass:
            return L"no-find-class";
        case Variant::NoDefaultArgs:
            return L"no-default-args";
        case Variant::Client:
            return L"client";
        case Variant::Dependent:
            return L"dependent";
        case Variant::RealSplash:
            return L"real-splash";
        case Variant::SplashDouble:
            return L"splash-double";
        case Variant::SplashNoJarName:
            return L"splash-no-jar-name";
        case Variant::Full:
            break;
    }
    return L"full";
}

// The folder that holds the homes: JLAUNCH_FAKE_JVM_HOMES when set, else
// tests\fakes\homes of the build folder that holds this test program
// (build\windows\tests\windows\program.exe).
inline std::wstring fakeJavaHomes() {
    wchar_t buffer[32768];
    DWORD length = GetEnvironmentVariableW(L"JLAUNCH_FAKE_JVM_HOMES", buffer, 32768);
    if (length > 0 && length < 32768) return std::wstring(buffer, length);
    length = GetModuleFileNameW(nullptr, buffer, 32768);
    std::wstring path(buffer, length < 32768 ? length : 0);
    for (int cut = 0; cut < 2; ++cut) {
        path.erase(path.find_last_of(L'\\') == std::wstring::npos ? 0 : path.find_last_of(L'\\'));
    }
    return path + L"\\fakes\\homes";
}

// A fake Java home, without trailing backslash.
inline std::wstring fakeJavaHome(Variant variant) {
    return fakeJavaHomes() + L"\\" + variantFolder(variant);
}

// The home's jvm.dll (bin\server, or bin\client for the client home).
inline std::wstring fakeJvmDll(Variant variant) {
    return fakeJavaHome(variant) + (variant == Variant::Client ? L"\\bin\\client\\jvm.dll" : L"\\bin\\server\\jvm.dll");
}

// The driver program that runs one JNI sequence in a process of its own.
inline std::wstring fakeJvmDriver() {
    const std::wstring homes = fakeJavaHomes();
    return homes.substr(0, homes.find_last_of(L'\\')) + L"\\fake_jvm_driver.exe";
}

// --- the script ----------------------------------------------------------------------

// Text for a script value: escaped, with edge blanks kept from trimming.
inline std::string scriptText(std::wstring_view text) {
    std::string escaped = escapeText(toU16(text));
    std::size_t trailing = 0;
    while (trailing < escaped.size() && escaped[escaped.size() - 1 - trailing] == ' ') ++trailing;
    escaped.resize(escaped.size() - trailing);
    for (std::size_t i = 0; i < trailing; ++i) escaped += "\\x20";
    if (!escaped.empty() && escaped.front() == ' ') escaped = "\\x20" + escaped.substr(1);
    return escaped;
}

// One step of a scripted main or secondaryMain.
struct Step {
    std::string line;

    static Step returns() { return {"return"}; }
    static Step printOut(std::wstring_view text) { return {"print-out " + scriptText(text)}; }
    static Step printErr(std::wstring_view text) { return {"print-err " + scriptText(text)}; }
    static Step sleep(int milliseconds) { return {"sleep " + std::to_string(milliseconds)}; }
    static Step nonDaemonThread(int milliseconds) { return {"thread " + std::to_string(milliseconds)}; }
    static Step exit(int status) { return {"exit " + std::to_string(status)}; }
    // `exceptionClass` in slash form; `stackTrace` is what printStackTrace prints.
    static Step throws(std::string_view exceptionClass, std::wstring_view stackTrace) {
        std::string text = escapeText(toU16(stackTrace));
        return {"throw " + std::string(exceptionClass) + " " + text};
    }
    static Step abort() { return {"abort"}; }
    // A visible top-level window with this title, on a thread of its own;
    // traced "WINDOW-SHOWN" and "WINDOW-ACTIVATED" each time it is activated.
    static Step window(std::wstring_view title) { return {"window " + scriptText(title)}; }
    // main waits until the file exists (a minute at most).
    static Step waitFile(std::wstring_view path) { return {"wait-file " + scriptText(path)}; }
};

class ScriptClass {
public:
    explicit ScriptClass(std::string name) : name_(std::move(name)) {}

    // "static", "instance" or "none".
    ScriptClass& main(std::string_view kind) { return set("main", kind); }
    ScriptClass& mainDoes(const Step& step) { return set("action", step.line); }
    // "none", "void" or "int".
    ScriptClass& secondaryMain(std::string_view kind, int result = 0) {
        set("secondary-main", kind);
        return set("secondary-result", std::to_string(result));
    }
    // An int secondaryMain returning the number its first argument holds.
    ScriptClass& secondaryMainReturningFirstArgument() {
        set("secondary-main", "int");
        return set("secondary-result", "first-argument");
    }
    ScriptClass& secondaryDoes(const Step& step) { return set("secondary-action", step.line); }
    // FindClass of this class fails with `exceptionClass` (slash form) whose
    // printStackTrace prints `stackTrace`.
    ScriptClass& loadError(std::string_view exceptionClass, std::wstring_view stackTrace) {
        return set("load-error", std::string(exceptionClass) + " " + escapeText(toU16(stackTrace)));
    }

    std::string text() const { return "[class " + name_ + "]\n" + lines_; }

private:
    ScriptClass& set(std::string_view key, std::string_view value) {
        lines_ += std::string(key) + " = " + std::string(value) + "\n";
        return *this;
    }

    std::string name_;
    std::string lines_;
};

class Script {
public:
    Script& createResult(int code) { return set("create-result", std::to_string(code)); }
    Script& createWaitFile(std::wstring_view path) { return set("create-wait-file", scriptText(path)); }
    Script& checkOptions(bool check) { return set("check-options", check ? "yes" : "no"); }
    Script& acceptOption(std::string_view prefix) { return set("accept-option", prefix); }
    Script& defaultStackSize(long bytes) { return set("default-stack-size", std::to_string(bytes)); }
    Script& createDelay(int milliseconds) { return set("create-delay", std::to_string(milliseconds)); }
    // "real", "class", "null" or "missing".
    Script& launcherHelper(std::string_view mode) { return set("launcher-helper", mode); }
    Script& missingClass(std::string_view name) { return set("missing-class", name); }
    Script& missingMethod(std::string_view cls, std::string_view name, std::string_view signature) {
        return set("missing-method", std::string(cls) + " " + std::string(name) + " " + std::string(signature));
    }
    // Declares an application class (slash form); the reference stays valid.
    ScriptClass& appClass(std::string name) { return classes_.emplace_back(std::move(name)); }

    std::string text() const {
        std::string text = "[vm]\n" + vm_;
        for (const auto& cls : classes_) text += cls.text();
        return text;
    }
    bool writeTo(const std::wstring& path) const { return writeBinaryFile(path, text()); }

private:
    Script& set(std::string_view key, std::string_view value) {
        vm_ += std::string(key) + " = " + std::string(value) + "\n";
        return *this;
    }

    std::string vm_;
    std::deque<ScriptClass> classes_;
};

// --- the trace -------------------------------------------------------------------------

class Trace {
public:
    // The trace file's lines; none when it does not exist.
    static Trace read(const std::wstring& path) {
        Trace trace;
        const auto bytes = readBinaryFile(path);
        if (!bytes) return trace;
        std::size_t start = 0;
        while (start < bytes->size()) {
            const auto end = bytes->find('\n', start);
            trace.lines_.push_back(bytes->substr(start, end == std::string::npos ? std::string::npos : end - start));
            if (end == std::string::npos) break;
            start = end + 1;
        }
        return trace;
    }

    const std::vector<std::string>& lines() const { return lines_; }
    bool empty() const { return lines_.empty(); }

    // The index of the first line equal to `line` (or starting with `prefix`) at or after `from`.
    std::optional<std::size_t> find(std::string_view line, std::size_t from = 0) const {
        for (std::size_t i = from; i < lines_.size(); ++i) {
            if (lines_[i] == line) return i;
        }
        return std::nullopt;
    }
    std::optional<std::size_t> findPrefix(std::string_view prefix, std::size_t from = 0) const {
        for (std::size_t i = from; i < lines_.size(); ++i) {
            if (lines_[i].starts_with(prefix)) return i;
        }
        return std::nullopt;
    }
    bool contains(std::string_view line) const { return find(line).has_value(); }
    bool containsPrefix(std::string_view prefix) const { return findPrefix(prefix).has_value(); }

    // What follows `prefix` on each line that starts with it.
    std::vector<std::string> after(std::string_view prefix) const {
        std::vector<std::string> rests;
        for (const auto& line : lines_) {
            if (line.starts_with(prefix)) rests.push_back(line.substr(prefix.size()));
        }
        return rests;
    }

    // The option strings of JNI_CreateJavaVM as the VM got them (ANSI bytes), in order.
    std::vector<std::string> options() const {
        std::vector<std::string> options;
        for (const auto& rest : after("OPTION ")) {
            const auto space = rest.find(' ');
            options.push_back(space == std::string::npos ? std::string() : unescapeBytes(rest.substr(space + 1)));
        }
        return options;
    }

    // The arguments the first main (or secondaryMain, with "SECONDARY-")
    // received; nothing when it was not called or got null or a null element.
    std::optional<std::vector<std::wstring>> mainArguments(std::string_view prefix = "") const {
        const auto enter = findPrefix(std::string(prefix.empty() ? "MAIN-ENTER " : "SECONDARY-ENTER "));
        if (!enter) return std::nullopt;
        const std::string& line = lines_[*enter];
        const auto argc = line.find(" argc=");
        if (argc == std::string::npos || line.compare(argc + 6, 4, "null") == 0) return std::nullopt;
        const std::size_t count = std::stoul(line.substr(argc + 6));
        std::vector<std::wstring> arguments;
        const std::string argument = std::string(prefix) + "ARG ";
        for (std::size_t i = *enter + 1; i < lines_.size() && arguments.size() < count; ++i) {
            if (lines_[i].starts_with(std::string(prefix) + "ARG-NULL ")) return std::nullopt;
            if (!lines_[i].starts_with(argument)) continue;
            const std::string rest = lines_[i].substr(argument.size());
            const auto space = rest.find(' ');
            if (std::stoul(rest.substr(0, space)) != arguments.size()) return std::nullopt;
            arguments.push_back(toWide(unescapeText(space == std::string::npos ? "" : rest.substr(space + 1))));
        }
        if (arguments.size() != count) return std::nullopt;
        return arguments;
    }

    // Every secondaryMain call: the result it returns and its arguments.
    struct SecondaryCall {
        int result = 0;
        std::vector<std::wstring> arguments;
        bool operator<(const SecondaryCall& other) const { return arguments < other.arguments; }
    };
    std::vector<SecondaryCall> secondaryCalls() const {
        std::vector<SecondaryCall> calls;
        for (const auto& rest : after("SECONDARY-CALL ")) {
            const auto result = rest.find(" result=");
            const auto argc = rest.find(" argc=");
            const auto args = rest.find(" args=");
            if (result == std::string::npos || argc == std::string::npos || args == std::string::npos) continue;
            SecondaryCall call;
            call.result = std::stoi(rest.substr(result + 8));
            const std::size_t count = rest.compare(argc + 6, 4, "null") == 0 ? 0 : std::stoul(rest.substr(argc + 6));
            std::size_t start = args + 6;
            for (std::size_t i = 0; i < count; ++i) {
                const auto end = rest.find('\t', start);
                call.arguments.push_back(toWide(unescapeText(rest.substr(start, end - start))));
                start = end == std::string::npos ? rest.size() : end + 1;
            }
            calls.push_back(std::move(call));
        }
        return calls;
    }

    // The lines recording a broken JNI discipline, without "MISUSE ".
    std::vector<std::string> misuses() const { return after("MISUSE "); }

    // A variable as the VM saw it at creation; nothing when it was not set.
    std::optional<std::wstring> environment(std::string_view name) const {
        const std::string prefix = "ENV " + std::string(name) + "=";
        for (const auto& rest : after(prefix)) return toWide(unescapeText(rest));
        return std::nullopt;
    }

    // The reserved stack of the thread that called JNI_CreateJavaVM.
    std::optional<long long> stackReserved() const {
        for (const auto& rest : after("STACK reserved=")) return std::stoll(rest);
        return std::nullopt;
    }

    // The whole trace, for a failure message.
    std::string dump() const {
        std::string text;
        for (const auto& line : lines_) text += "  | " + line + "\n";
        return text.empty() ? "  (empty trace)\n" : text;
    }

private:
    std::vector<std::string> lines_;
};

}  // namespace fake_jvm
