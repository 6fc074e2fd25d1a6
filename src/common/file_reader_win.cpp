#include <windows.h>

#include "common/file_reader.h"
#include "common/handles_win.h"
#include "common/paths.h"

namespace jlaunch {

struct FileReader::State {
    UniqueFileHandle file;
    std::uint64_t size = 0;
};

FileReader::FileReader(const std::wstring& path) : state_(std::make_unique<State>()) {
    state_->file.reset(CreateFileW(extendedLengthPath(path).c_str(), GENERIC_READ,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size{};
    if (state_->file && GetFileSizeEx(state_->file.get(), &size)) {
        state_->size = static_cast<std::uint64_t>(size.QuadPart);
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
    if (!isOpen() || offset > state_->size || count > state_->size - offset || count > MAXDWORD) {
        return false;
    }
    OVERLAPPED position{};
    position.Offset = static_cast<DWORD>(offset & 0xFFFFFFFFu);
    position.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD read = 0;
    return ReadFile(state_->file.get(), out, static_cast<DWORD>(count), &read, &position) && read == count;
}

}  // namespace jlaunch
