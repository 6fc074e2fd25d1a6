#pragma once
// What a real Java VM does the same whichever launcher hosts it: one table,
// run by the Linux launcher with every installed JDK (jvm_suite_test.cpp) and
// by the Windows console launcher under Wine with the Windows runtime
// (tests/windows/wine_jvm_test.cpp). Texts hold placeholders each suite fills
// in: {folder} the launcher copy's folder, {home} the Java home, {library} its
// VM library, {year} this year. Paths are written with "/"; the Windows suite
// turns them into its own.
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace jvm_tests {

struct RealVmCase {
    const char* name;
    const char* mainClass;
    std::string vmParameters;
    std::string application;  // lines of the [Application] section
    std::vector<std::string> arguments;
    std::vector<std::string> environment;                    // "NAME=value", added to the launcher's
    int exitCode;                                            // -1: the process ends with -1 (255 on Linux)
    std::vector<std::string> out;                            // each found in standard output
    std::vector<std::string> err;                            // each found in standard error
    std::vector<std::pair<std::string, std::string>> files;  // below {folder}: its whole text
};

// Rows are named by their names in test lists.
inline void PrintTo(const RealVmCase& row, std::ostream* out) {
    *out << row.name;
}

inline const std::vector<RealVmCase>& realVmCases() {
    static const std::vector<RealVmCase> cases = {
        {"UnicodeArgumentsReachMainIntact",
         "CodePoints",
         "",
         "",
         {"plain", "", "with space", "a\"b\\", "\xC3\xA9\xE4\xB8\xAD\xF0\x9F\x98\x80", "-nosplash"},
         {},
         0,
         {"arg:plain\narg:\narg:with space\narg:a\"b\\u005c\narg:\\u00e9\\u4e2d\\U0001f600\narg:-nosplash\n"},
         {},
         {}},
        {"SystemExitCodeIsTheProcessExitCode", "ExitCode", "", "", {"42"}, {}, 42, {}, {}, {}},
        {"SystemExitZero", "ExitCode", "", "", {"0"}, {}, 0, {}, {}, {}},
        {"HaltCodeIsTheProcessExitCode", "ExitCode", "", "", {"43", "halt"}, {}, 43, {}, {}, {}},
        {"SystemExitAfterMainReturnedIsTheProcessExitCode", "ExitCode", "", "", {"44", "later"}, {}, 44, {}, {}, {}},
        {"NormalReturnEndsWithZero", "Hello", "", "", {"x"}, {}, 0, {"Hello from ", "arg:x\n"}, {}, {}},
        {"UncaughtExceptionEndsWithOne",
         "Thrower",
         "",
         "",
         {},
         {},
         1,
         {},
         {"Exception in thread \"main\" java.lang.IllegalStateException: boom", "at Thrower.main"},
         {}},
        {"FailureCheckShowsTheStackTraceAndEndsWithMinusOne",
         "Thrower",
         "",
         "Failure Check=yes\n",
         {},
         {},
         -1,
         {},
         {"java.lang.IllegalStateException: boom", "at Thrower.main"},
         {}},
        {"StreamsGoToFilesNamedWithADatePicture",
         "Streams",
         "",
         "Output File={folder}/logs/out-%yyyy%.log\nError File={folder}/err.log\n",
         {"a"},
         {},
         0,
         {},
         {},
         {{"logs/out-{year}.log", "out:a\n"}, {"err.log", "err:a\n"}}},
        {"ExecutableFolderInAValueWinsOverAVariableOfThatName",
         "Streams",
         "",
         "Output File=%EXEDIR%/exedir-out.log\n",
         {"e"},
         {"EXEDIR=/nonexistent"},
         0,
         {},
         {"err:e\n"},
         {{"exedir-out.log", "out:e\n"}}},
        {"NonDaemonThreadKeepsTheProcessAlive",
         "NonDaemon",
         "",
         "",
         {"{folder}/marker.txt"},
         {},
         0,
         {},
         {},
         {{"marker.txt", "done"}}},
        {"RuntimeVariablesNameTheChosenVm",
         "Environment",
         "",
         "",
         {"KOV_JVM_PATH", "KOV_JVM_HOME", "JLAUNCH_TRACE"},
         {},
         0,
         {"KOV_JVM_PATH={library}\nKOV_JVM_HOME={home}\nJLAUNCH_TRACE=null\n"},
         {},
         {}},
        {"HeapShareBecomesMaxMemory",
         "MaxMemory",
         "-Xmx1:64:64P",
         "",
         {"48", "64"},
         {},
         0,
         {"within 48..64 MB: true"},
         {},
         {}},
        {"LargeXssFitsADeepRecursion", "Recurse", "-Xss512m", "", {"200000"}, {}, 0, {"depth=200000"}, {}, {}},
        {"SmallXssOverflows", "Recurse", "-Xss256k", "", {"200000"}, {}, 0, {"overflow"}, {}, {}},
        {"TraceGoesToStandardErrorAndNotToTheApplication",
         "Environment",
         "",
         "",
         {"JLAUNCH_TRACE"},
         {"JLAUNCH_TRACE=-"},
         0,
         {"JLAUNCH_TRACE=null\n"},
         {" ms  chosen VM library {library}", " ms  JNI_CreateJavaVM returned 0",
          " ms  calling static main(String[]) of Environment with 1 arguments", " ms  main returned"},
         {}},
        {"QuotedVmParameterKeepsItsSpaces",
         "Properties",
         "-Dgreeting=\"hello  world\" -Dother=x",
         "",
         {"greeting", "other"},
         {},
         0,
         {"greeting=hello  world\nother=x\n"},
         {},
         {}},
        {"NonAsciiVmParameterReachesTheVm",
         "Properties",
         "-Dgreeting=gr\xC3\xBC\xC3\x9F",
         "",
         {"greeting"},
         {},
         0,
         {"greeting=gr\\u00fc\\u00df\n"},
         {},
         {}},
        // Outside every single-byte code page: the Windows launchers run in UTF-8 for it.
        {"GreekAndJapaneseVmParameterReachesTheVm",
         "Properties",
         "-Dgreeting=\xCE\x94\xCE\xBF\xCE\xBA\xCE\xB9\xCE\xBC\xCE\xAE\xE6\x97\xA5\xE6\x9C\xAC",
         "",
         {"greeting"},
         {},
         0,
         {"greeting=\\u0394\\u03bf\\u03ba\\u03b9\\u03bc\\u03ae\\u65e5\\u672c\n"},
         {},
         {}},
        {"MissingMainClassIsNamed",
         "com.example.Missing",
         "",
         "",
         {},
         {},
         -1,
         {},
         {"Could not find the main class com.example.Missing.\n"},
         {}},
        {"MissingMainMethodIsNamed",
         "NoMain",
         "",
         "",
         {},
         {},
         -1,
         {},
         // Each Java says in its own words why NoMain's main will not do.
         {"Failed to load Main Class: NoMain.\nError: "},
         {}},
        {"UnknownVmOptionFailsCreation",
         "Hello",
         "-Xno-such-option",
         "",
         {},
         {},
         -1,
         {},
         {"JNI exception: failed to create the Java VM\nReason: Unrecognized option: -Xno-such-option."},
         {}},
    };
    return cases;
}

// `text` with every `name` replaced by `value`.
inline std::string replaced(std::string text, const std::string& name, const std::string& value) {
    for (auto at = text.find(name); at != std::string::npos; at = text.find(name, at + value.size())) {
        text.replace(at, name.size(), value);
    }
    return text;
}

// Line ends as "\n", whatever the platform wrote.
inline std::string withNewlines(std::string text) {
    return replaced(std::move(text), "\r\n", "\n");
}

}  // namespace jvm_tests
