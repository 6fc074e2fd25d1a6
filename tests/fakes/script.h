#pragma once
// What one test asks of the fake VM, read from the file named by
// JLAUNCH_FAKE_JVM_SCRIPT. The format is described in fake_jvm_script.h,
// which writes it.
#include <jni.h>

#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace fake_jvm {

// How sun/launcher/LauncherHelper.checkAndLoadMain answers.
enum class LauncherHelperMode {
    Real,     // like a real VM: the class, or a message on System.err and System.exit(1)
    Class,    // the class when it exists, else null with ClassNotFoundException pending
    Null,     // always null with ClassNotFoundException pending
    Missing,  // the class sun/launcher/LauncherHelper does not exist
};

enum class MainKind { Static, None, Instance };
enum class SecondaryKind { None, Void, Int };

// One step of a scripted Java method.
struct Action {
    enum class Kind { Return, PrintOut, PrintErr, Sleep, Thread, Exit, Throw, Abort, WaitFile, Window };
    Kind kind = Kind::Return;
    std::u16string
        text;  // PrintOut, PrintErr: the line; Throw: the stack trace text; WaitFile: the path; Window: its title
    std::string className;  // Throw: the exception's class, slash form
    long long number = 0;   // Sleep, Thread: milliseconds; Exit: the status
};

struct AppClass {
    std::string name;  // slash form
    MainKind main = MainKind::Static;
    std::vector<Action> mainActions;
    SecondaryKind secondary = SecondaryKind::None;
    jint secondaryResult = 0;
    bool secondaryResultFromArgument = false;  // the first argument's number instead
    std::vector<Action> secondaryActions;
    // FindClass fails with this exception (a Throw action), as a class
    // compiled for a newer Java or missing its superclass does.
    std::optional<Action> loadError;
};

struct Script {
    std::wstring path;  // empty: the defaults
    jint createResult = JNI_OK;
    std::u16string createWaitFile;  // JNI_CreateJavaVM waits until it exists
    bool checkOptions = true;
    std::vector<std::string> acceptedOptionPrefixes;
    jint defaultStackSize = 1024 * 1024;
    jint createDelayMs = 0;
    LauncherHelperMode launcherHelper = LauncherHelperMode::Real;
    std::set<std::string> missingClasses;
    std::set<std::string> missingMethods;  // "class name signature"
    std::vector<AppClass> classes;

    const AppClass* appClass(std::string_view name) const;
};

// The script as the environment names it, or the defaults (class "Main" with a
// static main that returns). A file that cannot be read or parsed gives the
// reason in `error`.
std::optional<Script> loadScript(std::string& error);

// Parses script text (UTF-8, an optional byte-order mark); nothing and the
// reason, with its line number, when it is malformed.
std::optional<Script> parseScript(std::string_view text, std::string& error);

}  // namespace fake_jvm
