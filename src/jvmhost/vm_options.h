#pragma once
// The VM's option strings: class path and VM parameters, and the output
// files and extra arguments that come with them.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/environment.h"
#include "jvmhost/memory_options.h"
#include "settings/launcher_settings.h"

namespace jlaunch {

// Where a Java stream goes; an empty file leaves it alone.
struct Redirection {
    std::wstring file;
    bool append = false;

    bool operator==(const Redirection&) const = default;
};

struct AssembledOptions {
    // False when the class path matched nothing: then nothing else is set,
    // unless a main module needs no class path.
    bool hasClassPath = false;
    // "-Djava.class.path=" first (a main jar leads it), then the module
    // options, then the VM parameters, expanded.
    std::vector<std::wstring> options;
    // Set by an "-Xss" parameter; 0 leaves the VM's default.
    std::uint64_t javaThreadStackSize = 0;
    Redirection output;
    Redirection error;
    // From "Cmd", for the main method after the command line's own.
    std::vector<std::wstring> extraArguments;
    // Class-path entries, as expanded, that matched no file or folder.
    std::vector<std::wstring> unmatchedEntries;
    // The main jar's absolute path; empty without one.
    std::wstring mainJar;
};

// A "Main Jar" or "Module Path" entry, expanded in `environment` and taken
// from the folder of `executable` when relative.
std::wstring besideExecutable(const std::wstring& written, const std::wstring& executable,
                              const Environment& environment);

// "--module-path=" with the ";"-separated entries of `modulePath` resolved
// and joined with the platform's separator, "--add-modules=" and the main
// module's name; only those that the settings ask for.
std::vector<std::wstring> moduleOptions(const LauncherSettings& settings, const std::wstring& executable,
                                        const Environment& environment);

// The class path (entries below the executable's folder, wildcards matched
// there), the VM parameters with their memory shares resolved against
// `memory`, the output files and "Cmd", each expanded in `environment`.
AssembledOptions assembleVmOptions(const LauncherSettings& settings, const std::wstring& executable,
                                   const MemoryStatus& memory, const Environment& environment);

// True for an entry taken as written: absolute and without wildcards.
bool isAbsoluteClassPathEntry(std::wstring_view entry);

// Appends the entry's matches below `launcherFolder` (or its own folder
// when absolute), each followed by the class-path separator. False when
// nothing matched.
bool expandClassPathEntry(const std::wstring& entry, const std::wstring& launcherFolder, std::wstring& classPath);

// Where the VM parameter that begins at `start` ends: at a space outside
// double quotes.
std::size_t nextParameterEnd(std::wstring_view text, std::size_t start);

// The VM parameters of the settings text, in order.
std::vector<std::wstring> splitVmParameters(std::wstring_view text);

}  // namespace jlaunch
