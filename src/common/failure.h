#pragma once
// A failure the user or packager can act on travels up as a value to the one
// place that shows it; Result<T> carries either a step's value or its failure.
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "common/messages.h"

namespace jlaunch {

// A text, the text of another message, or a number of the message's %d / %u.
using FailureArgument = std::variant<std::wstring, MessageId, std::int32_t, std::uint32_t>;

struct Failure {
    // kMsgNone: already reported where it happened (a dialog the user
    // cancelled, an exception described on the Java error stream).
    MessageId message = kMsgNone;
    std::vector<FailureArgument> arguments;
    // The platform's own words, where it has more to say than a number.
    std::wstring detail;
    // Shown on lines of their own below the message: what names the cause,
    // each a text (the Java VM's own words, a class-path entry) or another
    // message of the table.
    std::vector<FailureArgument> cause = {};

    bool operator==(const Failure&) const = default;
};

// Message 202: a system call failed; `what` names it, `error` is its number.
inline Failure systemFailure(MessageId what, std::uint32_t error) {
    return {kMsgWindowsException, {what, error}, {}};
}

// The launcher stopped on an internal failure (lack of memory, a size that
// overflows), named by its HRESULT-style status.
Failure internalFailure(std::int32_t status);

// The message with its arguments filled in, then its cause one line each;
// empty for kMsgNone.
std::wstring failureText(const Failure& failure);

// Shows the failure once, owned by `owner`; nothing for kMsgNone.
void showFailure(WindowHandle owner, const Failure& failure);

template <typename T>
class [[nodiscard]] Result {
public:
    Result(T value) : state_(std::in_place_index<0>, std::move(value)) {}  // NOLINT(google-explicit-constructor)
    Result(Failure failure)
        : state_(std::in_place_index<1>, std::move(failure)) {}  // NOLINT(google-explicit-constructor)

    bool ok() const noexcept { return state_.index() == 0; }
    explicit operator bool() const noexcept { return ok(); }
    T& operator*() & { return std::get<0>(state_); }
    const T& operator*() const& { return std::get<0>(state_); }
    T&& operator*() && { return std::get<0>(std::move(state_)); }
    T* operator->() { return &std::get<0>(state_); }
    const T* operator->() const { return &std::get<0>(state_); }
    const Failure& failure() const { return std::get<1>(state_); }

private:
    std::variant<T, Failure> state_;
};

template <>
class [[nodiscard]] Result<void> {
public:
    Result() = default;
    Result(Failure failure) : failure_(std::move(failure)) {}  // NOLINT(google-explicit-constructor)

    bool ok() const noexcept { return !failure_.has_value(); }
    explicit operator bool() const noexcept { return ok(); }
    const Failure& failure() const { return *failure_; }

private:
    std::optional<Failure> failure_;
};

}  // namespace jlaunch
