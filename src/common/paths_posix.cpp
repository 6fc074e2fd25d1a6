#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>

#include "common/paths.h"
#include "common/text.h"
#include "common/handles_posix.h"

namespace jlaunch {

const wchar_t kPathSeparator = L'/';

namespace {

std::wstring currentFolder() {
    std::string buffer(256, '\0');
    while (getcwd(buffer.data(), buffer.size()) == nullptr) {
        if (errno != ERANGE) {
            return {};
        }
        buffer.resize(buffer.size() * 2);
    }
    return toWide(buffer.c_str());
}

// Only "*" and "?" are wildcards, as on Windows: a bracket or a backslash in
// a file name stands for itself.
std::string literalBrackets(const std::string& leaf) {
    std::string pattern;
    pattern.reserve(leaf.size());
    for (const char c : leaf) {
        if (c == '[' || c == '\\') {
            pattern.push_back('\\');
        }
        pattern.push_back(c);
    }
    return pattern;
}

}  // namespace

bool removeFile(const std::wstring& path) {
    return unlink(toNarrow(path).c_str()) == 0;
}

std::wstring newTemporaryFile() {
    const char* folder = std::getenv("TMPDIR");
    std::string path = std::string(folder != nullptr && *folder != '\0' ? folder : "/tmp") + "/jlaunch-XXXXXX";
    const int file = mkstemp(path.data());
    if (file < 0) {
        return {};
    }
    close(file);
    return toWide(path);
}

std::wstring newTemporaryFileWith(std::string_view bytes) {
    std::wstring path = newTemporaryFile();
    const UniqueFileDescriptor file(path.empty() ? -1 : open(toNarrow(path).c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC));
    while (file && !bytes.empty()) {
        const ssize_t written = write(file.get(), bytes.data(), bytes.size());
        if (written <= 0 && errno != EINTR) {
            break;
        }
        bytes.remove_prefix(written > 0 ? static_cast<std::size_t>(written) : 0);
    }
    if (!file || !bytes.empty()) {
        if (!path.empty()) {
            removeFile(path);
        }
        return {};
    }
    return path;
}

bool pathExists(const std::wstring& path) {
    struct stat info {};
    return !path.empty() && stat(toNarrow(path).c_str(), &info) == 0;
}

bool isAbsolutePath(std::wstring_view path) {
    return !path.empty() && path.front() == L'/';
}

std::wstring extendedLengthPath(std::wstring path) {
    return path;
}

bool isNetworkPath(const std::wstring& /*path*/) {
    return false;  // network shares are mounted into the one tree
}

std::vector<std::wstring> splitPath(std::wstring_view path) {
    std::vector<std::wstring> parts;
    if (isAbsolutePath(path)) {
        parts.emplace_back(L"/");
        path.remove_prefix(1);
    }
    while (!path.empty()) {
        const auto separator = path.find(L'/');
        parts.emplace_back(path.substr(0, separator));
        if (separator == std::wstring_view::npos) {
            break;
        }
        path.remove_prefix(separator + 1);
    }
    return parts;
}

std::uint32_t createParentFolders(const std::wstring& filePath) {
    if (isAbsolutePath(filePath) && pathExists(filePath)) {
        return 0;
    }
    const std::vector<std::wstring> parts = splitPath(filePath);
    if (parts.empty()) {
        return 0;
    }
    std::wstring current = parts.front();
    int lastError = 0;
    for (std::size_t i = 1; i + 1 < parts.size(); ++i) {
        if (current.back() != L'/') {
            current.push_back(L'/');
        }
        current.append(parts[i]);
        if (mkdir(toNarrow(current).c_str(), 0777) != 0) {
            lastError = errno;
            if (lastError != EEXIST) {
                break;
            }
        }
    }
    return lastError == EEXIST ? 0 : static_cast<std::uint32_t>(lastError);
}

struct FileFinder::State {
    std::vector<std::pair<std::wstring, bool>> matches;  // name, is a folder
    std::size_t current = 0;
    bool found = false;
    std::wstring folder;
};

FileFinder::FileFinder() : state_(std::make_unique<State>()) {}
FileFinder::~FileFinder() = default;

void FileFinder::close() {
    state_->matches.clear();
    state_->current = 0;
    state_->found = false;
}

bool FileFinder::find(const std::wstring& name) {
    close();
    state_->folder.clear();
    const std::wstring pattern = name.empty() ? std::wstring(L"*") : name;
    if (pattern.size() >= kMaxLongPath) {
        errno = ENAMETOOLONG;
        return false;
    }
    const auto cut = pattern.rfind(L'/');
    std::wstring folder = cut == std::wstring::npos ? std::wstring() : pattern.substr(0, cut == 0 ? 1 : cut);
    const std::wstring leaf = cut == std::wstring::npos ? pattern : pattern.substr(cut + 1);
    if (!isAbsolutePath(folder)) {
        const std::wstring base = currentFolder();
        folder = folder.empty() ? base : base + L"/" + folder;
    }
    const std::string narrowFolder = toNarrow(folder);
    const std::string narrowLeaf = toNarrow(leaf);
    if (leaf.find_first_of(L"*?") == std::wstring::npos) {
        struct stat info {};
        if (stat((narrowFolder + "/" + narrowLeaf).c_str(), &info) != 0) {
            return false;
        }
        state_->matches.emplace_back(leaf, S_ISDIR(info.st_mode));
    } else {
        const UniqueDirectory directory(opendir(narrowFolder.c_str()));
        if (!directory) {
            return false;
        }
        const std::string glob = literalBrackets(narrowLeaf);
        while (const dirent* entry = readdir(directory.get())) {
            if (fnmatch(glob.c_str(), entry->d_name, FNM_PERIOD) != 0) {
                continue;
            }
            struct stat info {};
            const bool isFolder =
                stat((narrowFolder + "/" + entry->d_name).c_str(), &info) == 0 && S_ISDIR(info.st_mode);
            state_->matches.emplace_back(toWide(entry->d_name), isFolder);
        }
        if (state_->matches.empty()) {
            errno = ENOENT;
            return false;
        }
        // The order a folder lists its entries differs between machines; by
        // name, one settings file gives one class path everywhere.
        std::sort(state_->matches.begin(), state_->matches.end());
    }
    state_->folder = folder;
    state_->found = true;
    return true;
}

bool FileFinder::next() {
    if (!state_->found) {
        return false;
    }
    state_->found = ++state_->current < state_->matches.size();
    return state_->found;
}

bool FileFinder::found() const {
    return state_->found;
}
std::wstring FileFinder::fileName() const {
    return state_->found ? state_->matches[state_->current].first : std::wstring();
}
bool FileFinder::isDirectory() const {
    return state_->found && state_->matches[state_->current].second;
}
const std::wstring& FileFinder::folder() const {
    return state_->folder;
}

}  // namespace jlaunch

namespace jlaunch {

std::wstring nativeSeparators(std::wstring path) {
    std::replace(path.begin(), path.end(), L'\\', L'/');
    return path;
}

std::wstring absolutePath(const std::wstring& path) {
    if (isAbsolutePath(path)) {
        return path;
    }
    const std::wstring base = currentFolder();
    return base.empty() ? path : base + L"/" + path;
}

bool sameExistingFile(const std::wstring& a, const std::wstring& b) {
    struct stat first {};
    struct stat second {};
    return stat(toNarrow(a).c_str(), &first) == 0 && stat(toNarrow(b).c_str(), &second) == 0 &&
           first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

}  // namespace jlaunch
