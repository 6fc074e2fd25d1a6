#pragma once
// The process's own command line.
#include <string>
#include <vector>

namespace jlaunch {

// The process's arguments for the Java main method, program name removed.
std::vector<std::wstring> parseCommandLine();

}  // namespace jlaunch
