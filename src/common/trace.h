#pragma once
// The launch trace: one line per decision of a launch, each after the
// milliseconds since the trace was opened, written where the environment
// variable JLAUNCH_TRACE says (a file, or "-" for standard error). When it is
// not set, every trace call returns at once without building its text.
#include <concepts>
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>

namespace jlaunch {

inline constexpr const wchar_t* kTraceVariable = L"JLAUNCH_TRACE";

// Opens the trace that JLAUNCH_TRACE names and removes the variable from
// this process, so the application and what it starts never see it. Called
// once, before any other thread exists.
void openTrace();

// Opens the trace at `target` ("-" for standard error) instead; an empty
// target or one that cannot be opened leaves the trace off.
void openTraceAt(const std::wstring& target);

// What JLAUNCH_TRACE said when openTrace took it; empty when unset. A run
// started again (the restart) gets it back.
const std::wstring& traceTarget();

// Ends the trace; later calls write nothing.
void closeTrace();

namespace detail {
// Written only by openTrace, openTraceAt and closeTrace.
extern bool traceOn;
}  // namespace detail

inline bool traceEnabled() noexcept {
    return detail::traceOn;
}

// Writes one line with its time; whole lines, also from several threads.
void writeTraceLine(std::wstring_view text);

namespace detail {

// How trace() hands its pieces to the one writer out of line: each piece is
// one machine word (its value, or where it is) and four bits of `kinds` (the
// first piece lowest) say what the word is. A call then costs the exe a few
// instructions per piece and needs no clean-up; a piece only refers to its
// value, which lives until the trace call ends.
enum TraceKind : std::uint64_t {
    kTraceNarrowZ = 1,  // narrow text in the platform's own encoding (VM options, JNI names)
    kTraceWideZ,
    kTraceWideString,
    kTraceNarrowString,
    kTraceWideView,
    kTraceNarrowView,
    kTraceSigned,
    kTraceUnsigned,
    kTraceFlag,  // "yes" or "no"
    kTraceOther,
};

// A piece of another type: its text comes from an `appendTracePiece(
// std::wstring&, const T&)` in the type's own namespace (Java versions have one).
struct TraceOther {
    const void* value = nullptr;
    void (*append)(std::wstring& line, const void* value) = nullptr;
};

template <typename T>
inline constexpr bool kTraceText = std::is_same_v<T, std::wstring> || std::is_same_v<T, std::string> ||
                                   std::is_same_v<T, std::wstring_view> || std::is_same_v<T, std::string_view>;

template <typename T>
concept TraceAppendable = requires(std::wstring& line, const T& value) {
    appendTracePiece(line, value);
};

// `T` as trace() deduced it: a literal stays an array, so that it never turns into a flag.
template <typename T>
constexpr std::uint64_t traceKindOf() {
    using Element = std::remove_cv_t<std::remove_pointer_t<std::decay_t<T>>>;
    if constexpr (std::is_array_v<T> || std::is_pointer_v<T>) {
        static_assert(std::is_same_v<Element, char> || std::is_same_v<Element, wchar_t>, "text pieces only");
        return std::is_same_v<Element, char> ? kTraceNarrowZ : kTraceWideZ;
    } else if constexpr (std::is_same_v<T, bool>) {
        return kTraceFlag;
    } else if constexpr (std::is_integral_v<T>) {
        return std::is_signed_v<T> ? kTraceSigned : kTraceUnsigned;
    } else if constexpr (std::is_same_v<T, std::wstring>) {
        return kTraceWideString;
    } else if constexpr (std::is_same_v<T, std::string>) {
        return kTraceNarrowString;
    } else if constexpr (std::is_same_v<T, std::wstring_view>) {
        return kTraceWideView;
    } else if constexpr (std::is_same_v<T, std::string_view>) {
        return kTraceNarrowView;
    } else {
        static_assert(TraceAppendable<T>, "a trace piece is text, a number, a flag or has appendTracePiece");
        return kTraceOther;
    }
}

template <typename... Pieces>
constexpr std::uint64_t traceKinds() {
    static_assert(sizeof...(Pieces) <= 16, "at most 16 pieces in one trace line");
    std::uint64_t kinds = 0;
    int shift = 0;
    ((kinds |= traceKindOf<Pieces>() << shift, shift += 4), ...);
    return kinds;
}

template <typename T>
requires(!TraceAppendable<T> || std::is_arithmetic_v<T> || std::is_pointer_v<T> || kTraceText<T>) std::uint64_t
    traceWord(const T& value) {
    if constexpr (std::is_array_v<T> || std::is_pointer_v<T>) {
        return reinterpret_cast<std::uintptr_t>(static_cast<const void*>(value));
    } else if constexpr (std::is_integral_v<T>) {
        return static_cast<std::uint64_t>(value);  // a signed value comes back through std::int64_t
    } else {
        return reinterpret_cast<std::uintptr_t>(&value);
    }
}

// The default argument lives until the whole trace call ends.
template <typename T>
requires(TraceAppendable<T> && !std::is_arithmetic_v<T> && !std::is_pointer_v<T> && !kTraceText<T>) std::uint64_t
    traceWord(const T& value, TraceOther&& other = {}) {
    other = {&value,
             [](std::wstring& line, const void* object) { appendTracePiece(line, *static_cast<const T*>(object)); }};
    return reinterpret_cast<std::uintptr_t>(&other);
}

}  // namespace detail

// The line of the pieces trace() passes: `kinds` as above, then one word
// (std::uint64_t) per piece.
void writeTraceWords(std::uint64_t kinds, ...);  // NOLINT(cppcoreguidelines-pro-type-vararg,cert-dcl50-cpp)

// One line made of the pieces, e.g. trace("settings file ", path, " found").
// Nothing is formatted while the trace is off.
template <typename... Pieces>
void trace(const Pieces&... pieces) {
    if (traceEnabled()) {
        writeTraceWords(detail::traceKinds<Pieces...>(),
                        detail::traceWord(pieces)...);  // NOLINT(cppcoreguidelines-pro-type-vararg)
    }
}

}  // namespace jlaunch
