#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "common/handles_posix.h"
#include "common/text.h"
#include "file_io.h"

namespace jlaunch::pack {

namespace {

std::string systemError(const std::string& what, const std::wstring& path) {
    return what + " " + toNarrow(path) + ": " + std::strerror(errno);
}

std::string absolute(const std::string& path) {
    if (!path.empty() && path.front() == '/') {
        return path;
    }
    std::string folder(4096, '\0');
    return getcwd(folder.data(), folder.size()) != nullptr ? folder.substr(0, folder.find('\0')) + "/" + path : path;
}

}  // namespace

std::optional<std::vector<std::uint8_t>> readWholeFile(const std::wstring& path, std::uint64_t limit,
                                                       std::string& error) {
    // Not blocking: a FIFO would otherwise wait for a writer before fstat can refuse it.
    const UniqueFileDescriptor file(open(toNarrow(path).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    struct stat info {};
    if (!file || fstat(file.get(), &info) != 0) {
        error = systemError("cannot read", path);
        return std::nullopt;
    }
    if (!S_ISREG(info.st_mode) || static_cast<std::uint64_t>(info.st_size) > limit) {
        error = toNarrow(path) + " is not a regular file of at most " + std::to_string(limit >> 20) + " MiB";
        return std::nullopt;
    }
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(info.st_size));
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = read(file.get(), bytes.data() + done, bytes.size() - done);
        if (n <= 0) {
            error = systemError("cannot read", path);
            return std::nullopt;
        }
        done += static_cast<std::size_t>(n);
    }
    return bytes;
}

bool replaceableOutput(const std::wstring& path, std::string& error) {
    struct stat info {};
    if (lstat(toNarrow(path).c_str(), &info) != 0) {
        if (errno == ENOENT) {
            return true;
        }
        error = systemError("cannot examine", path);
        return false;
    }
    if (!S_ISREG(info.st_mode)) {
        error = "the output " + toNarrow(path) + " exists and is not a regular file; it is left alone";
        return false;
    }
    return true;
}

bool sameFile(const std::wstring& a, const std::wstring& b) {
    const std::string first = toNarrow(a);
    const std::string second = toNarrow(b);
    struct stat one {};
    struct stat two {};
    if (stat(first.c_str(), &one) == 0 && stat(second.c_str(), &two) == 0) {
        return one.st_dev == two.st_dev && one.st_ino == two.st_ino;
    }
    return absolute(first) == absolute(second);
}

std::unique_ptr<PendingOutput> PendingOutput::create(const std::wstring& target, std::span<const std::uint8_t> bytes,
                                                     bool executable, std::string& error) {
    std::string pattern = toNarrow(target) + ".XXXXXX";
    const UniqueFileDescriptor file(mkstemp(pattern.data()));
    if (!file) {
        error = systemError("cannot create a file beside", target);
        return nullptr;
    }
    std::unique_ptr<PendingOutput> output(new PendingOutput(toWide(pattern), target));
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = write(file.get(), bytes.data() + done, bytes.size() - done);
        if (n <= 0) {
            error = systemError("cannot write", output->path());
            return nullptr;
        }
        done += static_cast<std::size_t>(n);
    }
    const mode_t mode = executable ? 0755 : 0644;
    if (fchmod(file.get(), mode) != 0 || fsync(file.get()) != 0) {
        error = systemError("cannot finish", output->path());
        return nullptr;
    }
    return output;
}

PendingOutput::~PendingOutput() {
    if (!committed_) {
        unlink(toNarrow(path_).c_str());
    }
}

bool PendingOutput::commit(std::string& error) {
    if (std::rename(toNarrow(path_).c_str(), toNarrow(target_).c_str()) != 0) {
        error = systemError("cannot rename the finished file onto", target_);
        return false;
    }
    committed_ = true;
    return true;
}

}  // namespace jlaunch::pack
