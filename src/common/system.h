#pragma once
// The process's own facts: its executable, its environment, the last error.
#include <cstdint>
#include <optional>
#include <string>

namespace jlaunch {

// Full path of the running executable; nothing (and `error` set) on failure.
std::optional<std::wstring> executablePath(std::uint32_t& error);

// The system's own words for an error number, in the user's language where
// the system has it.
std::wstring systemErrorText(std::uint32_t error);

// The variable's value; nothing when it is not set.
std::optional<std::wstring> environmentVariable(const std::wstring& name);

// The folder below which the per-user settings copies lie ("APPDATA" on
// Windows, the XDG configuration folder on Linux); empty when unknown.
std::wstring userSettingsRoot();

// Creates one folder; failures (an existing folder included) are ignored.
void createFolder(const std::wstring& path);

// Changes the current folder; failures are ignored.
void setCurrentFolder(const std::wstring& path);

// Milliseconds of a clock that never goes back (from an arbitrary start).
std::uint64_t monotonicMilliseconds();

}  // namespace jlaunch
