#include <windows.h>

#include <optional>

#include "common/handles_win.h"
#include "common/paths.h"

namespace jlaunch {

const wchar_t kPathSeparator = L'\\';

namespace {

constexpr std::wstring_view kUncPrefix = L"\\\\?\\UNC\\";
constexpr std::wstring_view kLocalPrefix = L"\\\\?\\";

// The system's full form of a path (against the current folder and drive);
// nothing when it cannot be made.
std::optional<std::wstring> fullPathOf(const std::wstring& path) {
    const DWORD length = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    std::wstring full(length, L'\0');
    const DWORD written = length == 0 ? 0 : GetFullPathNameW(path.c_str(), length, full.data(), nullptr);
    if (written == 0 || written >= length) {
        return std::nullopt;
    }
    full.resize(written);
    return full;
}

}  // namespace

bool removeFile(const std::wstring& path) {
    return DeleteFileW(path.c_str()) != FALSE;
}

std::wstring newTemporaryFile() {
    wchar_t folder[MAX_PATH + 1] = {};
    wchar_t path[MAX_PATH + 1] = {};
    const DWORD length = GetTempPathW(MAX_PATH + 1, folder);
    if (length == 0 || length > MAX_PATH || GetTempFileNameW(folder, L"jl", 0, path) == 0) {
        return {};
    }
    return path;
}

std::wstring newTemporaryFileWith(std::string_view bytes) {
    const std::wstring path = newTemporaryFile();
    if (path.empty()) {
        return {};
    }
    bool whole = false;
    {
        const UniqueFileHandle file(
            CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING, FILE_ATTRIBUTE_TEMPORARY, nullptr));
        DWORD written = 0;
        whole = file && bytes.size() <= MAXDWORD &&
                WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                written == bytes.size();
    }
    if (!whole) {
        removeFile(path);
        return {};
    }
    return path;
}

bool pathExists(const std::wstring& path) {
    WIN32_FIND_DATAW data;
    const UniqueFindHandle search(FindFirstFileW(extendedLengthPath(path).c_str(), &data));
    return search.valid();
}

bool isAbsolutePath(std::wstring_view path) {
    return path.size() >= 2 && ((path[0] == L'\\' && path[1] == L'\\') || path[1] == L':');
}

bool isNetworkPath(const std::wstring& path) {
    // "\\server\share", "\\?\UNC\server\share"; not "\\?\C:\", which some
    // PathIsUNCW versions (Wine's, Windows Server 2003) also count.
    return path.starts_with(kUncPrefix) || (!hasLongPathPrefix(path) && path.starts_with(L"\\\\"));
}

std::vector<std::wstring> splitPath(std::wstring_view path) {
    std::wstring_view prefix;
    if (path.starts_with(kUncPrefix)) {
        prefix = kUncPrefix;
    } else if (hasLongPathPrefix(path)) {
        prefix = kLocalPrefix;
    }
    const std::wstring_view rest = path.substr(prefix.size());
    // A network path's root is "\\server": its first separator is searched
    // past the two leading backslashes.
    const std::size_t searchFrom = isNetworkPath(std::wstring(rest)) ? 2 : 0;
    const std::size_t rootEnd = searchFrom <= rest.size() ? rest.find(L'\\', searchFrom) : std::wstring_view::npos;

    std::vector<std::wstring> parts;
    std::wstring root(prefix);
    root.append(rest.substr(0, rootEnd));
    if (!root.empty()) {
        parts.push_back(std::move(root));
    }
    if (rootEnd == std::wstring_view::npos) {
        return parts;
    }
    std::wstring_view remainder = rest.substr(rootEnd + 1);
    while (!remainder.empty()) {
        const auto separator = remainder.find(L'\\');
        parts.emplace_back(remainder.substr(0, separator));
        if (separator == std::wstring_view::npos) {
            break;
        }
        remainder.remove_prefix(separator + 1);
    }
    return parts;
}

std::uint32_t createParentFolders(const std::wstring& filePath) {
    if (isAbsolutePath(filePath)) {
        SetLastError(ERROR_SUCCESS);
        if (pathExists(filePath) || GetLastError() == ERROR_SUCCESS) {
            return 0;
        }
    }
    const bool network = isNetworkPath(filePath);
    const std::vector<std::wstring> parts = splitPath(filePath);
    if (parts.empty()) {
        return 0;
    }
    std::wstring current = parts.front();
    DWORD lastError = 0;
    for (std::size_t i = 1; i + 1 < parts.size(); ++i) {
        current.append(1, L'\\').append(parts[i]);
        if (!CreateDirectoryW(current.c_str(), nullptr)) {
            lastError = GetLastError();
            if (lastError != ERROR_ALREADY_EXISTS && !network) {
                break;
            }
        }
    }
    return lastError == ERROR_ALREADY_EXISTS ? 0 : lastError;
}

struct FileFinder::State {
    UniqueFindHandle search;
    WIN32_FIND_DATAW data{};
    bool found = false;
    std::wstring folder;
};

FileFinder::FileFinder() : state_(std::make_unique<State>()) {}
FileFinder::~FileFinder() = default;

void FileFinder::close() {
    state_->search.reset();
    state_->found = false;
}

std::wstring extendedLengthPath(std::wstring path) {
    if (path.size() < kMaxPath || hasLongPathPrefix(path)) {
        return path;
    }
    // The prefix turns the system's own clean-up of a path off ("/", "." and
    // "..", the current folder), so the path is made full and clean first.
    const auto full = fullPathOf(path);
    if (!full) {
        return path;
    }
    if (isNetworkPath(*full)) {
        return std::wstring(kUncPrefix) + full->substr(2);
    }
    return std::wstring(kLocalPrefix) + *full;
}

bool FileFinder::find(const std::wstring& name) {
    close();
    state_->folder.clear();
    std::wstring pattern = name.empty() ? std::wstring(L"*.*") : name;
    if (pattern.size() >= kMaxLongPath) {
        return false;
    }
    pattern = extendedLengthPath(std::move(pattern));
    state_->search.reset(FindFirstFileW(pattern.c_str(), &state_->data));
    if (!state_->search) {
        return false;
    }
    const auto full = fullPathOf(pattern);
    if (!full) {
        close();
        SetLastError(ERROR_INVALID_NAME);
        return false;
    }
    const auto cut = full->find_last_of(L"\\/");
    state_->folder = cut == std::wstring::npos ? *full : full->substr(0, cut);
    state_->found = true;
    return true;
}

bool FileFinder::next() {
    if (!state_->found) {
        return false;
    }
    state_->found = FindNextFileW(state_->search.get(), &state_->data) != FALSE;
    return state_->found;
}

bool FileFinder::found() const {
    return state_->found;
}
std::wstring FileFinder::fileName() const {
    return state_->found ? std::wstring(state_->data.cFileName) : std::wstring();
}
bool FileFinder::isDirectory() const {
    return state_->found && (state_->data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}
const std::wstring& FileFinder::folder() const {
    return state_->folder;
}

}  // namespace jlaunch

namespace jlaunch {

std::wstring nativeSeparators(std::wstring path) {
    return path;
}

std::wstring absolutePath(const std::wstring& path) {
    if (isAbsolutePath(path)) {
        return path;
    }
    // Also "\logs" and "D:logs", which name a folder of a drive.
    return fullPathOf(path).value_or(path);
}

namespace {

bool fileIdentity(const std::wstring& path, BY_HANDLE_FILE_INFORMATION& info) {
    const UniqueFileHandle file(CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                            nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    return file && GetFileInformationByHandle(file.get(), &info) != FALSE;
}

}  // namespace

bool sameExistingFile(const std::wstring& a, const std::wstring& b) {
    BY_HANDLE_FILE_INFORMATION first{};
    BY_HANDLE_FILE_INFORMATION second{};
    return fileIdentity(a, first) && fileIdentity(b, second) &&
           first.dwVolumeSerialNumber == second.dwVolumeSerialNumber && first.nFileIndexHigh == second.nFileIndexHigh &&
           first.nFileIndexLow == second.nFileIndexLow;
}

}  // namespace jlaunch
