#pragma once
// Starts programs, finds and answers their windows, and lays out copies of
// the launcher in temporary folders, so that tests drive the real exe the way
// a user would and can never hang on a window nobody answers.
#include <windows.h>

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/handles_win.h"

namespace jlaunch::test {

// Long enough for a slow Wine start, short enough that a stuck test ends.
inline constexpr std::chrono::milliseconds kWindowTimeout{15000};
inline constexpr std::chrono::milliseconds kExitTimeout{15000};

// Environment changes for a child: a value sets the variable, nothing removes it.
using EnvironmentChanges = std::vector<std::pair<std::wstring, std::optional<std::wstring>>>;

// A started program. A process still running when this is destroyed is
// killed, so no test leaves one behind.
class ChildProcess {
public:
    // Runs `commandLine` in `workingFolder` (the caller's when empty), with
    // the caller's environment changed by `environment`. `application`, when
    // not empty, names the file to run exactly: no ".exe" is assumed.
    static ChildProcess start(const std::wstring& application, const std::wstring& commandLine,
                              const std::wstring& workingFolder = {}, const EnvironmentChanges& environment = {});
    // As start, with standard output and standard error written to the
    // files `outputFile` and `errorFile` (created or emptied) and no input.
    static ChildProcess startWithOutput(const std::wstring& application, const std::wstring& commandLine,
                                        const std::wstring& outputFile, const std::wstring& errorFile,
                                        const EnvironmentChanges& environment = {});

    ChildProcess() = default;
    ~ChildProcess();
    ChildProcess(ChildProcess&&) noexcept = default;
    // A process still running here is killed first.
    ChildProcess& operator=(ChildProcess&& other) noexcept;
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool started() const { return process_.valid(); }
    // The system error of CreateProcessW when the start failed.
    DWORD startError() const { return startError_; }
    DWORD id() const { return id_; }
    bool running() const;

    // The first visible top-level window of the process (of `className` when
    // given) that shows up within `timeout`; null when none did or the
    // process ended first.
    HWND waitForWindow(std::chrono::milliseconds timeout = kWindowTimeout, std::wstring_view className = {}) const;

    // The exit code when the process ends within `timeout`. Otherwise the
    // texts of its visible windows are kept (see blockingWindows), the process
    // is killed and nothing is returned.
    std::optional<std::int32_t> waitForExit(std::chrono::milliseconds timeout = kExitTimeout);
    // What the process showed when waitForExit gave up on it, for the report.
    const std::wstring& blockingWindows() const { return blockingWindows_; }

    void kill();

private:
    static ChildProcess started(const std::wstring& application, const std::wstring& commandLine,
                                const std::wstring& workingFolder, const EnvironmentChanges& environment,
                                STARTUPINFOW& startup, BOOL inheritHandles);

    UniqueHandle process_;
    UniqueHandle thread_;
    DWORD id_ = 0;
    DWORD startError_ = 0;
    std::wstring blockingWindows_;
};

// Visible top-level windows of one process, of `className` when given.
std::vector<HWND> visibleWindowsOf(DWORD processId, std::wstring_view className = {});

std::wstring windowClassName(HWND window);
// The text by WM_GETTEXT, which the system carries across processes.
std::wstring windowText(HWND window);
HWND ownerWindow(HWND window);

struct ButtonInfo {
    int id = 0;
    std::wstring text;
};
// The push buttons of a dialog, in child-window order.
std::vector<ButtonInfo> dialogButtons(HWND dialog);

// Presses a dialog's button the way a mouse click does (BM_CLICK).
bool clickButton(HWND dialog, int id);
// Sends the dialog the WM_COMMAND that the button would send.
bool sendCommand(HWND dialog, int id);

// What a message box shows, read once.
struct MessageBoxView {
    std::wstring className;
    std::wstring caption;
    std::wstring text;
    HWND owner = nullptr;
    std::vector<ButtonInfo> buttons;
    bool hasIcon = false;
};
// A message box's text is its static control 0xFFFF.
MessageBoxView readMessageBox(HWND box);
// A readable summary of a message box, for failure reports.
std::string describe(const MessageBoxView& view);

// The launcher under test: JLAUNCH_EXE when set, otherwise jlaunch.exe two
// folders above this test program (build\windows\tests\windows\ lies below
// build\windows\).
std::wstring launcherUnderTest();

// The full path of this test program.
std::wstring testProgramPath();

// Text as file bytes.
std::string utf8Bytes(std::wstring_view text);
// UTF-16 little endian with the byte-order mark.
std::string utf16Bytes(std::wstring_view text);
// UTF-8 to UTF-16, for messages and paths in the tests.
std::wstring widen(std::string_view utf8);
std::string narrowForReport(std::wstring_view text);

// "path" in double quotes, as a command line names a program.
std::wstring quoted(const std::wstring& path);

// A fresh folder below the system's temporary folder (or below `base`),
// removed with everything in it when this is destroyed.
class TemporaryFolder {
public:
    TemporaryFolder();
    explicit TemporaryFolder(const std::wstring& base);
    ~TemporaryFolder();
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;

    // Full path without trailing backslash.
    const std::wstring& path() const { return path_; }
    // `relative` below this folder.
    std::wstring operator/(std::wstring_view relative) const;
    // Creates `relative` and the folders above it; returns its full path.
    std::wstring makeFolder(std::wstring_view relative) const;
    // Writes `bytes` to `relative`, creating its folders; returns its full path.
    std::wstring writeFile(std::wstring_view relative, std::string_view bytes) const;

private:
    std::wstring path_;
};

// Removes a folder tree; long paths are handled with the "\\?\" prefix.
void removeTree(const std::wstring& path);
// Creates every folder of `path` (a full path, prefixed or not).
bool createFolders(const std::wstring& path);
// The file's bytes; nothing when it cannot be read.
std::optional<std::string> readFileBytes(const std::wstring& path);

// A copy of the launcher under a chosen file name (a relative path in a
// temporary folder, such as "My App.exe" or "bin\tool"), with its settings
// file written beside it on request.
class LauncherCopy {
public:
    explicit LauncherCopy(std::wstring_view relativeName);
    // In a temporary folder made below `base`, for paths with special folders.
    LauncherCopy(const std::wstring& base, std::wstring_view relativeName);

    const std::wstring& exePath() const { return exePath_; }
    const TemporaryFolder& folder() const { return folder_; }
    // The copy's folder, without trailing backslash.
    std::wstring exeFolder() const;
    // "<folder>\<name without its extension>.ini", the settings file beside it.
    std::wstring settingsPath() const;
    void writeSettings(std::string_view bytes) const;

    // Starts the copy with `arguments` after its quoted path, in its folder.
    ChildProcess start(const std::wstring& arguments = {}, const EnvironmentChanges& environment = {}) const;

private:
    TemporaryFolder folder_;
    std::wstring exePath_;
};

// Sets one environment variable of this process for a scope, or removes it
// when `value` is nothing; the old state comes back afterwards.
class EnvironmentScope {
public:
    EnvironmentScope(std::wstring name, const std::optional<std::wstring>& value);
    ~EnvironmentScope();
    EnvironmentScope(const EnvironmentScope&) = delete;
    EnvironmentScope& operator=(const EnvironmentScope&) = delete;

private:
    std::wstring name_;
    std::optional<std::wstring> saved_;
};

// Sets this process's current folder for a scope.
class CurrentFolderScope {
public:
    explicit CurrentFolderScope(const std::wstring& folder);
    ~CurrentFolderScope();
    CurrentFolderScope(const CurrentFolderScope&) = delete;
    CurrentFolderScope& operator=(const CurrentFolderScope&) = delete;

private:
    std::wstring saved_;
};

}  // namespace jlaunch::test
