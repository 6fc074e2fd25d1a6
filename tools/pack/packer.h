#pragma once
// jlaunch-pack: embeds enciphered settings into a copy of a jlaunch launcher
// and brands a Windows one with icon, version information and execution level.
#include <string>
#include <vector>

namespace jlaunch::pack {

// Runs the tool with its arguments (without the program name); messages go
// to `out` and `errors`. Returns the exit code: 0 done, 1 refused or failed,
// 2 a bad command line.
int runPack(const std::vector<std::wstring>& arguments, std::string& out, std::string& errors);

}  // namespace jlaunch::pack
