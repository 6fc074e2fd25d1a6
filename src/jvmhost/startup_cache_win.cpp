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

std::wstring javaExecutable(const std::wstring& javaHome) {
    return javaHome + L"\\bin\\java.exe";
}

}  // namespace jlaunch::cache_files
