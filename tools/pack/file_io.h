#pragma once
// Whole-file reads and an output that appears only once it is complete.
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace jlaunch::pack {

// Nothing (and `error` set) when the file cannot be read, is not a regular
// file (a FIFO or device is refused without waiting on it) or exceeds `limit`.
std::optional<std::vector<std::uint8_t>> readWholeFile(const std::wstring& path, std::uint64_t limit,
                                                       std::string& error);

// False (and `error` set) when `path` exists as anything but a regular file:
// a device, FIFO, folder or link is never replaced by the output.
bool replaceableOutput(const std::wstring& path, std::string& error);

// True when both paths name one file: the same full path, or (when both
// exist) the same file on disk.
bool sameFile(const std::wstring& a, const std::wstring& b);

// A temporary file beside the target. It is removed when dropped, unless
// commit() has renamed it onto the target.
class PendingOutput {
public:
    // Writes `bytes` to a new temporary file beside `target`; `executable`
    // gives it the launcher's permission to run (Linux).
    static std::unique_ptr<PendingOutput> create(const std::wstring& target, std::span<const std::uint8_t> bytes,
                                                 bool executable, std::string& error);
    ~PendingOutput();
    PendingOutput(const PendingOutput&) = delete;
    PendingOutput& operator=(const PendingOutput&) = delete;

    const std::wstring& path() const { return path_; }
    // Replaces the target by the temporary file in one step.
    bool commit(std::string& error);

private:
    PendingOutput(std::wstring path, std::wstring target) : path_(std::move(path)), target_(std::move(target)) {}
    std::wstring path_;
    std::wstring target_;
    bool committed_ = false;
};

}  // namespace jlaunch::pack
