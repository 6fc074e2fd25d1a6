#pragma once
// A failure the user or packager can act on travels up as a value to the one
// place that shows it; Result<T> carries either a step's value or its failure.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "common/function_ref.h"
#include "common/messages.h"

namespace jlaunch {

// A text, the text of another message, or a number of the message's %d / %u.
using FailureArgument = std::variant<std::wstring, MessageId, std::int32_t, std::uint32_t>;

struct Failure {
    // kMsgNone: nothing more to show (see alreadyShown).
    MessageId message = kMsgNone;
    std::vector<FailureArgument> arguments;
    // The platform's own words, where it has more to say than a number; for
    // kMsgNone, why the launch ends without a message (traced only).
    std::wstring detail;
    // Shown on lines of their own below the message: what names the cause,
    // each a text (the Java VM's own words, a class-path entry) or another
    // message of the table.
    std::vector<FailureArgument> cause = {};

    bool operator==(const Failure&) const = default;
};

// A failure the user has been told of where it happened (a dialog they
// cancelled, an exception printed on the Java error stream), or one that ends
// the launch without a message by design: nothing more is shown, and `why`
// goes to the launch trace.
inline Failure alreadyShown(std::wstring why) {
    return {kMsgNone, {}, std::move(why)};
}

// Message 202: a system call failed; `what` names it, `error` is its number.
inline Failure systemFailure(MessageId what, std::uint32_t error) {
    return {kMsgWindowsException, {what, error}, {}};
}

// The launcher stopped on an internal failure (lack of memory, a size that
// overflows), named by its HRESULT-style status.
Failure internalFailure(std::int32_t status);

// The internal failure the exception in flight stands for; call it in a
// catch block only. Whatever is thrown, the launch ends with the internal-error message and
// never in std::terminate, on both platforms.
Failure internalFailureOfCurrentException();

// Runs `work`; an internal failure raised inside it comes back as its
// Failure instead, nothing when `work` ends normally. What `work` owns when
// it fails may not be released: the caller ends the process soon after.
std::optional<Failure> catchInternalFailure(FunctionRef<void()> work);

// The message with its arguments filled in, then its cause one line each;
// empty for kMsgNone.
std::wstring failureText(const Failure& failure);

// Shows the failure once, owned by `owner`; nothing for kMsgNone.
void showFailure(WindowHandle owner, const Failure& failure);

// Debug and test builds stop at once when a Result is read as what it is
// not: a value taken from a failure, or the failure of a success.
#if !defined(NDEBUG) || defined(JLAUNCH_CHECKED)
inline constexpr bool kCheckResultUse = true;
#else
inline constexpr bool kCheckResultUse = false;
#endif

[[noreturn]] inline void resultMisused(const char* what) {
    std::fputs(what, stderr);
    std::fputc('\n', stderr);
    std::abort();
}

template <typename T>
class [[nodiscard]] Result {
public:
    Result(T value) : state_(std::in_place_index<0>, std::move(value)) {}  // NOLINT(google-explicit-constructor)
    Result(Failure failure)
        : state_(std::in_place_index<1>, std::move(failure)) {}  // NOLINT(google-explicit-constructor)

    bool ok() const noexcept { return state_.index() == 0; }
    explicit operator bool() const noexcept { return ok(); }
    T& operator*() & { return (expectValue(), std::get<0>(state_)); }
    const T& operator*() const& { return (expectValue(), std::get<0>(state_)); }
    T&& operator*() && { return (expectValue(), std::get<0>(std::move(state_))); }
    T* operator->() { return (expectValue(), &std::get<0>(state_)); }
    const T* operator->() const { return (expectValue(), &std::get<0>(state_)); }
    const Failure& failure() const {
        if (kCheckResultUse && ok()) {
            resultMisused("jlaunch: failure() of a Result that holds a value");
        }
        return std::get<1>(state_);
    }

private:
    void expectValue() const {
        if (kCheckResultUse && !ok()) {
            resultMisused("jlaunch: the value of a Result that holds a failure");
        }
    }

    std::variant<T, Failure> state_;
};

template <>
class [[nodiscard]] Result<void> {
public:
    Result() = default;
    Result(Failure failure) : failure_(std::move(failure)) {}  // NOLINT(google-explicit-constructor)

    bool ok() const noexcept { return !failure_.has_value(); }
    explicit operator bool() const noexcept { return ok(); }
    const Failure& failure() const {
        if (kCheckResultUse && ok()) {
            resultMisused("jlaunch: failure() of a Result that succeeded");
        }
        return *failure_;
    }

private:
    std::optional<Failure> failure_;
};

}  // namespace jlaunch
