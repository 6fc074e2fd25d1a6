#pragma once
// The command line and the plain list syntax of the settings.
#include <string>
#include <string_view>
#include <vector>

namespace jlaunch {

// Quote-aware split at spaces; backslashes have no special meaning.
std::vector<std::wstring> splitArguments(std::wstring_view text);

// Split at every `separator`; an empty last piece is dropped, others kept.
std::vector<std::wstring> splitList(std::wstring_view text, std::wstring_view separator);

// The process's arguments for the Java main method, program name removed.
std::vector<std::wstring> parseCommandLine();

}  // namespace jlaunch
