#pragma once
// The VM's option strings: class path, VM parameters, output files and
// extra arguments from the settings.
#include <string>
#include <string_view>
#include <vector>

namespace jlaunch {

class Launcher;

// Builds the class path and VM parameters into `vmOptions` and reads the
// output, error and "Cmd" settings. False (message 209) without a class path.
bool assembleVmOptions(Launcher& launcher);

// True for an entry taken as written: absolute and without wildcards.
bool isAbsoluteClassPathEntry(std::wstring_view entry);

// Appends the entry's matches below `launcherFolder` (or its own folder
// when absolute), each followed by the class-path separator.
void expandClassPathEntry(const std::wstring& entry, const std::wstring& launcherFolder, std::wstring& classPath);

// Where the VM parameter that begins at `start` ends: at a space outside
// double quotes.
std::size_t nextParameterEnd(std::wstring_view text, std::size_t start);

// The VM parameters of the settings text, in order.
std::vector<std::wstring> splitVmParameters(std::wstring_view text);

// The class-path separator handed to the VM: ";" on Windows, ":" on Linux.
extern const wchar_t kClassPathSeparator;

}  // namespace jlaunch
