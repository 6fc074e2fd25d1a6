#pragma once
// Path rules and file-system helpers shared by the subsystems.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace jlaunch {

// The folder separator of this platform: "\" on Windows, "/" on Linux.
extern const wchar_t kPathSeparator;

// Paths this long get the long-path prefix where they are opened or searched
// (extendedLengthPath); FileFinder refuses paths of kMaxLongPath characters or more.
inline constexpr std::size_t kMaxPath = 260;
inline constexpr std::size_t kMaxLongPath = 32767;

// True when a search for the exact path finds a file or folder.
bool pathExists(const std::wstring& path);

// Deletes a file; false when it could not be deleted.
bool removeFile(const std::wstring& path);

// Makes a new empty file of a name of its own in the user's temporary
// folder and answers its path; empty when none could be made.
std::wstring newTemporaryFile();

// A new temporary file holding `bytes`; empty (and no file left) when it
// could not be written whole.
std::wstring newTemporaryFileWith(std::string_view bytes);

// Windows: two leading backslashes, or ":" as second character.
// Linux: a leading "/".
bool isAbsolutePath(std::wstring_view path);

// Cuts the path before its last separator, `levels` times; a path without
// a separator stays as it is.
std::wstring parentPath(std::wstring path, unsigned levels);

// The path with this platform's separators: on Linux a "\" written for
// Windows becomes "/", so one settings file serves both; Windows keeps it.
std::wstring nativeSeparators(std::wstring path);

// `name` as one file or folder name that stays where it is put: without the
// characters a name may not hold (separators, ":*?"<>|", controls), without
// trailing dots and spaces, and not a device name (CON, NUL, COM1...), "."
// or "..". Nothing when no such name is left or it is longer than 128.
std::optional<std::wstring> safePathComponent(std::wstring_view name);

// The path made absolute against the current folder; unchanged when it is
// absolute already or the current folder cannot be read.
std::wstring absolutePath(const std::wstring& path);

// True when the path begins with the long-path prefix "\\?\".
bool hasLongPathPrefix(std::wstring_view path);

// The form of a path that the system opens at any length: on Windows one of
// kMaxPath characters or more is made full and gets the prefix "\\?\" (or
// "\\?\UNC\"), which older systems need past that length; a shorter one,
// and every path elsewhere, is returned as it is.
std::wstring extendedLengthPath(std::wstring path);

// True for a network path: "\\server\share" or "\\?\UNC\server\share".
bool isNetworkPath(const std::wstring& path);

// The root of the path followed by its components (an empty root is left out).
std::vector<std::wstring> splitPath(std::wstring_view path);

// Creates the missing folders of a file's path below its root, not the last
// component. Returns 0 or the platform's error code.
std::uint32_t createParentFolders(const std::wstring& filePath);

// True when both paths name one existing file (links and other spellings
// included); false when either does not exist.
bool sameExistingFile(const std::wstring& a, const std::wstring& b);

// An open directory search. Closed when reused or destroyed.
class FileFinder {
public:
    FileFinder();
    ~FileFinder();
    FileFinder(const FileFinder&) = delete;
    FileFinder& operator=(const FileFinder&) = delete;

    // Starts a search for `name` (wildcards allowed; empty means every entry
    // of the current folder). True when something matches. Linux lists the
    // matches by name, Windows in the order the file system keeps them.
    bool find(const std::wstring& name);
    // Moves to the next match; false at the end.
    bool next();
    void close();

    bool found() const;
    // File name of the current match, without folder.
    std::wstring fileName() const;
    bool isDirectory() const;
    // Full path of the folder of the searched name.
    const std::wstring& folder() const;

private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace jlaunch
