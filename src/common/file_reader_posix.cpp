#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "common/handles_posix.h"
#include "common/file_reader.h"
#include "common/text.h"

namespace jlaunch {

struct FileReader::State {
    UniqueFileDescriptor file;
    std::uint64_t size = 0;
};

FileReader::FileReader(const std::wstring& path) : state_(std::make_unique<State>()) {
    // Not blocking: a FIFO would otherwise wait at the open for a writer,
    // before fstat can tell that it is no regular file.
    state_->file.reset(open(toNarrow(path).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    struct stat info {};
    if (state_->file && fstat(state_->file.get(), &info) == 0 && S_ISREG(info.st_mode)) {
        state_->size = static_cast<std::uint64_t>(info.st_size);
    } else {
        state_->file.reset();
    }
}

FileReader::~FileReader() = default;

bool FileReader::isOpen() const {
    return state_->file.valid();
}
std::uint64_t FileReader::size() const {
    return state_->size;
}

bool FileReader::readAt(std::uint64_t offset, std::size_t count, void* out) const {
    if (!isOpen() || offset > state_->size || count > state_->size - offset) {
        return false;
    }
    auto* bytes = static_cast<unsigned char*>(out);
    std::size_t done = 0;
    while (done < count) {
        const ssize_t n = pread(state_->file.get(), bytes + done, count - done, static_cast<off_t>(offset + done));
        if (n <= 0) {
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace jlaunch
