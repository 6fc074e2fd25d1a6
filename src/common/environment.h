#pragma once
// The process environment: %VAR% expansion and setting variables.
#include <string>
#include <string_view>

namespace jlaunch {

// Expands references between percent signs in place; references to
// variables that do not exist stay as written.
void expandEnvironment(std::wstring& text);

// Sets a variable of this process (and of the processes it starts).
void setEnvironmentVariable(const std::wstring& name, const std::wstring& value);

// The separator of search-path lists: ";" on Windows, ":" on Linux, and
// the variable that holds the executable search path.
extern const wchar_t kPathListSeparator;
extern const wchar_t* const kSearchPathVariable;

}  // namespace jlaunch
