#pragma once
// Reads parts of a file without loading all of it.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace jlaunch {

class FileReader {
public:
    // Opens an existing file for reading, sharing all access (a file that
    // another writer holds open reads as far as it is written); a folder or
    // a missing file leaves the reader closed.
    explicit FileReader(const std::wstring& path);
    ~FileReader();
    FileReader(const FileReader&) = delete;
    FileReader& operator=(const FileReader&) = delete;

    bool isOpen() const;
    std::uint64_t size() const;
    // Reads exactly `count` bytes at `offset`; false when the file is shorter.
    bool readAt(std::uint64_t offset, std::size_t count, void* out) const;

private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace jlaunch
