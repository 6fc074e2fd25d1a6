#pragma once
// The two ways a value splits into pieces: quote-aware at spaces (arguments,
// VM options) and at a fixed separator (lists).
#include <string>
#include <string_view>
#include <vector>

namespace jlaunch {

// Quote-aware split at spaces; backslashes have no special meaning.
std::vector<std::wstring> splitArguments(std::wstring_view text);

// Split at every `separator`; an empty last piece is dropped, others kept.
std::vector<std::wstring> splitList(std::wstring_view text, std::wstring_view separator);

}  // namespace jlaunch
