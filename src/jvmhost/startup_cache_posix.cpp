#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "common/handles_posix.h"

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

bool writeNewFile(const std::wstring& path, std::string_view bytes) {
    const UniqueFileDescriptor file(::open(toNarrow(path).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
    if (!file) {
        return false;
    }
    for (std::size_t written = 0; written < bytes.size();) {
        const ssize_t count = ::write(file.get(), bytes.data() + written, bytes.size() - written);
        if (count < 0 && errno != EINTR) {
            return false;
        }
        written += count > 0 ? static_cast<std::size_t>(count) : 0;
    }
    return true;
}

std::optional<int> runHiddenChild(const std::wstring& executable, const std::wstring& outputPath) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const std::string output = toNarrow(outputPath);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    std::string program = toNarrow(executable);
    char* argv[] = {program.data(), nullptr};
    pid_t child = 0;
    const int started = posix_spawn(&child, program.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    if (started != 0) {
        return std::nullopt;
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) {
            return std::nullopt;
        }
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

}  // namespace jlaunch::cache_files
