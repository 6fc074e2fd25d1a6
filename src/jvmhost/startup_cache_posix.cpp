#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

#include "common/text.h"
#include "jvmhost/startup_cache.h"

namespace jlaunch::cache_files {

std::wstring userCacheFolder(const std::wstring& name, const Environment& environment) {
    std::wstring root = environment.get(L"XDG_CACHE_HOME").value_or(L"");
    if (root.empty() || root[0] != L'/') {
        const std::wstring home = environment.get(L"HOME").value_or(L"");
        if (home.empty() || home[0] != L'/') {
            return {};
        }
        root = home + L"/.cache";
    }
    return root + L"/" + name;
}

bool createPrivateFolder(const std::wstring& folder) {
    const std::string path = toNarrow(folder);
    const std::string parent = path.substr(0, path.rfind('/'));
    // The parent is the user's cache root: made private too when missing.
    if (!parent.empty()) {
        ::mkdir(parent.c_str(), 0700);
    }
    struct stat facts {};
    if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) {
        return false;
    }
    // Only a folder of this user's own, which nobody else can write into, holds what the VM maps.
    return ::lstat(path.c_str(), &facts) == 0 && S_ISDIR(facts.st_mode) && facts.st_uid == ::geteuid() &&
           (facts.st_mode & 022) == 0;
}

FileFacts fileFacts(const std::wstring& path) {
    struct stat facts {};
    if (::stat(toNarrow(path).c_str(), &facts) != 0) {
        return {};
    }
    return {true, S_ISDIR(facts.st_mode), static_cast<std::uint64_t>(facts.st_size),
            static_cast<std::int64_t>(facts.st_mtim.tv_sec) * 1000000000 + facts.st_mtim.tv_nsec};
}

bool renameFile(const std::wstring& from, const std::wstring& to) {
    return std::rename(toNarrow(from).c_str(), toNarrow(to).c_str()) == 0;
}

void removeFile(const std::wstring& path) {
    ::unlink(toNarrow(path).c_str());
}

void touchFile(const std::wstring& path) {
    ::utimensat(AT_FDCWD, toNarrow(path).c_str(), nullptr, 0);
}

std::uint32_t processId() {
    return static_cast<std::uint32_t>(::getpid());
}

std::wstring javaExecutable(const std::wstring& javaHome) {
    return javaHome + L"/bin/java";
}

}  // namespace jlaunch::cache_files
