#pragma once
// The launch trace: one line per decision of a launch, each after the
// milliseconds since the trace was opened, written where the environment
// variable JLAUNCH_TRACE says (a file, or "-" for standard error). When it is
// not set, every trace call returns at once without building its text.
#include <concepts>
#include <cstdint>
#include <string>
#include <initializer_list>
#include <string_view>

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

// One piece of a trace line. Text, numbers and flags are kept as they are
// (a piece only refers to its value, which lives until the trace call ends)
// and turned into text in one place out of line, so that each of the many
// trace calls stays a few instructions in the exe and needs no clean-up.
// Other types give their text through an `appendTracePiece(std::wstring&,
// const T&)` in their own namespace (Java versions do).
class TracePiece {
public:
    TracePiece(std::wstring_view text) : kind_(Kind::Wide), wide_(text) {}
    TracePiece(const wchar_t* text) : TracePiece(std::wstring_view(text)) {}
    TracePiece(const std::wstring& text) : TracePiece(std::wstring_view(text)) {}
    // Narrow text in the platform's own encoding (VM options, JNI names).
    TracePiece(std::string_view text) : kind_(Kind::Narrow), narrow_(text) {}
    TracePiece(const char* text) : TracePiece(std::string_view(text)) {}
    TracePiece(const std::string& text) : TracePiece(std::string_view(text)) {}
    // Templates, so that a text literal never converts to a flag.
    template <std::same_as<bool> T>
    TracePiece(T value) : kind_(Kind::Wide), wide_(value ? L"yes" : L"no") {}
    template <std::signed_integral T>
    requires(!std::same_as<T, bool>) TracePiece(T value) : kind_(Kind::Signed), signed_(value) {}
    template <std::unsigned_integral T>
    requires(!std::same_as<T, bool>) TracePiece(T value) : kind_(Kind::Unsigned), unsigned_(value) {}
    template <typename T>
    requires(!std::integral<T> && requires(std::wstring & line, const T& value) { appendTracePiece(line, value); })
        TracePiece(const T& value)
        : kind_(Kind::Other), other_{&value, [](std::wstring& line, const void* object) {
                                         appendTracePiece(line, *static_cast<const T*>(object));
                                     }} {}

    void appendTo(std::wstring& line) const;

private:
    enum class Kind { Wide, Narrow, Signed, Unsigned, Other };
    struct Other {
        const void* value;
        void (*append)(std::wstring& line, const void* value);
    };
    Kind kind_;
    union {
        std::wstring_view wide_;
        std::string_view narrow_;
        std::int64_t signed_;
        std::uint64_t unsigned_;
        Other other_;
    };
};

void writeTracePieces(std::initializer_list<TracePiece> pieces);

// One line made of the pieces, e.g. trace("settings file ", path, " found").
// Nothing is formatted while the trace is off.
template <typename... Pieces>
void trace(const Pieces&... pieces) {
    if (traceEnabled()) {
        writeTracePieces({TracePiece(pieces)...});
    }
}

}  // namespace jlaunch
