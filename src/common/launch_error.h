#pragma once
// The one exception type: internal failures only (out of memory, bad index or
// length, size overflow). Failures the user can act on are shown as messages.
#include <cstdint>
#include <exception>

namespace jlaunch {

class LaunchError : public std::exception {
public:
    static constexpr std::int32_t kFail = static_cast<std::int32_t>(0x80004005u);
    static constexpr std::int32_t kInvalidArgument = static_cast<std::int32_t>(0x80070057u);
    static constexpr std::int32_t kBadIndex = static_cast<std::int32_t>(0x8000000Bu);
    static constexpr std::int32_t kOutOfMemory = static_cast<std::int32_t>(0x8007000Eu);
    static constexpr std::int32_t kArithmeticOverflow = static_cast<std::int32_t>(0x80070216u);

    explicit LaunchError(std::int32_t status) noexcept : status_(status) {}
    std::int32_t status() const noexcept { return status_; }
    const char* what() const noexcept override { return "jlaunch internal failure"; }

private:
    std::int32_t status_;
};

// Throws LaunchError(status): from files built without exceptions as well.
[[noreturn]] void raiseLaunchError(std::int32_t status);

// The status of a standard-library exception in flight (called in a catch
// block only); the platform decides which types it can meet.
std::int32_t standardExceptionStatus();

}  // namespace jlaunch
