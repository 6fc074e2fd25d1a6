#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <iterator>

#include "common/handles_posix.h"
#include "common/text.h"
#include "settings/profile_text.h"
#include "settings/settings_file.h"

namespace jlaunch {

namespace {

// Files past this size are not settings files; reading them would only
// exhaust memory.
constexpr std::uintmax_t kMaxSettingsFileSize = std::uintmax_t{64} * 1024 * 1024;

std::optional<std::string> readFileBytes(const std::wstring& file) {
    // What was opened is checked, never a name that could be swapped before
    // the open: without blocking (a FIFO), and only a regular file.
    const UniqueFileDescriptor fd(open(toNarrow(file).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    struct stat info {};
    if (!fd || fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode) ||
        static_cast<std::uintmax_t>(info.st_size) > kMaxSettingsFileSize) {
        return std::nullopt;
    }
    // Read with a bound: a file that grows past the limit meanwhile is no settings file either.
    std::string bytes(static_cast<std::size_t>(info.st_size) + 1, '\0');
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = read(fd.get(), bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            break;
        }
        done += static_cast<std::size_t>(n);
        if (done > kMaxSettingsFileSize) {
            return std::nullopt;
        }
        if (done == bytes.size()) {
            bytes.resize(bytes.size() + 4096);
        }
    }
    bytes.resize(done);
    return bytes;
}

}  // namespace

std::optional<std::wstring> settingsFilePathFor(const std::wstring& executable) {
    // Only a dot in the file name itself starts an extension, and a leading
    // one marks a hidden file instead.
    const auto separator = executable.rfind(L'/');
    const std::size_t nameStart = separator == std::wstring::npos ? 0 : separator + 1;
    const auto dot = executable.rfind(L'.');
    const bool hasExtension = dot != std::wstring::npos && dot > nameStart;
    return (hasExtension ? executable.substr(0, dot) : executable) + L".ini";
}

// Linux keeps the parsed file; a missing or unreadable one reads as empty.
struct ProfileFile::Content {
    ProfileTextFile file;
};

ProfileFile::ProfileFile(std::wstring path)
    : path_(std::move(path)), content_(std::make_unique<Content>(Content{ProfileTextFile(readFileBytes(path_))})) {}

ProfileFile::~ProfileFile() = default;
ProfileFile::ProfileFile(ProfileFile&&) noexcept = default;
ProfileFile& ProfileFile::operator=(ProfileFile&&) noexcept = default;

std::wstring ProfileFile::value(const std::wstring& section, const std::wstring& key) const {
    return content_->file.value(section, key);
}

std::vector<std::wstring> ProfileFile::sectionNames() const {
    return content_->file.sectionNames();
}

std::vector<std::wstring> ProfileFile::keyNames(const std::wstring& section) const {
    return content_->file.keyNames(section);
}

std::uint32_t writeProfileString(const std::wstring& file, const std::wstring& section, const std::wstring& key,
                                 const std::wstring& value) {
    const auto bytes = readFileBytes(file);
    const std::wstring text = bytes ? decodeProfileBytes(*bytes) : std::wstring();
    // The file keeps its encoding and byte-order mark.
    const std::string edited =
        encodeProfileText(setProfileValue(text, section, key, value), bytes ? *bytes : std::string());
    // Written beside the file and renamed over it, so a failed write never
    // leaves half a settings file.
    const std::string path = toNarrow(file);
    const std::string temporary = path + ".tmp";
    const auto failed = [&temporary](int error) {
        unlink(temporary.c_str());
        return static_cast<std::uint32_t>(error);
    };
    {
        const UniqueFileDescriptor out(open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
        if (!out) {
            return static_cast<std::uint32_t>(errno);
        }
        for (std::size_t done = 0; done < edited.size();) {
            const ssize_t n = write(out.get(), edited.data() + done, edited.size() - done);
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n <= 0) {
                return failed(n < 0 ? errno : EIO);
            }
            done += static_cast<std::size_t>(n);
        }
    }
    if (rename(temporary.c_str(), path.c_str()) != 0) {
        return failed(errno);
    }
    return 0;
}

bool deleteSettingsFile(const std::wstring& file) {
    return unlink(toNarrow(file).c_str()) == 0;
}

}  // namespace jlaunch
