#include <windows.h>

#include "common/handles_win.h"
#include "common/paths.h"
#include "jvmhost/startup_cache.h"

namespace jlaunch::cache_files {

std::wstring userCacheFolder(const std::wstring& name, const Environment& environment) {
    const std::wstring root = environment.get(L"LOCALAPPDATA").value_or(L"");
    return root.empty() ? std::wstring() : root + L"\\" + name;
}

bool createPrivateFolder(const std::wstring& folder) {
    // Below the user's own local application data, which only the user may
    // change; the root itself is made when a fresh profile lacks it.
    createParentFolders(folder);
    if (CreateDirectoryW(folder.c_str(), nullptr) == 0 && GetLastError() != ERROR_ALREADY_EXISTS) {
        return false;
    }
    const DWORD attributes = GetFileAttributesW(folder.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
           (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0;
}

FileFacts fileFacts(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA facts{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &facts)) {
        return {};
    }
    return {true, (facts.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0,
            (static_cast<std::uint64_t>(facts.nFileSizeHigh) << 32) | facts.nFileSizeLow,
            static_cast<std::int64_t>((static_cast<std::uint64_t>(facts.ftLastWriteTime.dwHighDateTime) << 32) |
                                      facts.ftLastWriteTime.dwLowDateTime)};
}

bool renameFile(const std::wstring& from, const std::wstring& to) {
    return MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}

void removeFile(const std::wstring& path) {
    DeleteFileW(path.c_str());
}

void touchFile(const std::wstring& path) {
    const UniqueFileHandle file(CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                            OPEN_EXISTING, 0, nullptr));
    if (file) {
        FILETIME now{};
        GetSystemTimeAsFileTime(&now);
        SetFileTime(file.get(), nullptr, nullptr, &now);
    }
}

std::uint32_t processId() {
    return GetCurrentProcessId();
}

bool writeNewFile(const std::wstring& path, std::string_view bytes) {
    // In the user's own folder, which gives the file the user's own access.
    const UniqueFileHandle file(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    return file && bytes.size() <= MAXDWORD &&
           WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) != 0 &&
           written == bytes.size();
}

std::optional<int> runHiddenChild(const std::wstring& executable, const std::wstring& outputPath) {
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    const UniqueFileHandle output(CreateFileW(outputPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherited,
                                              CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    const UniqueFileHandle input(
        CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherited, OPEN_EXISTING, 0, nullptr));
    if (!output || !input) {
        return std::nullopt;
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = input.get();
    startup.hStdOutput = output.get();
    startup.hStdError = output.get();
    // CreateProcessW may write into the command line, so it gets a copy.
    std::wstring commandLine = L"\"" + executable + L"\"";
    PROCESS_INFORMATION process{};
    if (CreateProcessW(executable.c_str(), commandLine.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                       nullptr, &startup, &process) == 0) {
        return std::nullopt;
    }
    const UniqueHandle child(process.hProcess);
    const UniqueHandle thread(process.hThread);
    DWORD exitCode = 0;
    if (WaitForSingleObject(child.get(), INFINITE) != WAIT_OBJECT_0 || !GetExitCodeProcess(child.get(), &exitCode)) {
        return std::nullopt;
    }
    return static_cast<int>(exitCode);
}

}  // namespace jlaunch::cache_files
