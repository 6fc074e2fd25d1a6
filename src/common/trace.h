#pragma once
// The launch trace: one line per decision of a launch, each after the
// milliseconds since the trace was opened, written where the environment
// variable JLAUNCH_TRACE says (a file, or "-" for standard error). When it is
// not set, every trace call returns at once without building its text.
#include <concepts>
#include <cstdint>
#include <string>
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

// The pieces a trace line is made of. Other types add their own overload in
// their namespace (Java versions do).
inline void appendTracePiece(std::wstring& line, std::wstring_view text) {
    line += text;
}
// Narrow text in the platform's own encoding (VM options, JNI names).
void appendTracePiece(std::wstring& line, std::string_view text);
// Templates, so that a text literal never converts to a flag.
template <std::same_as<bool> T>
void appendTracePiece(std::wstring& line, T value) {
    line += value ? L"yes" : L"no";
}
template <std::integral T>
requires(!std::same_as<T, bool>) void appendTracePiece(std::wstring& line, T value) {
    line += std::to_wstring(value);
}

// One line made of the pieces, e.g. trace(L"settings file ", path, L" found").
template <typename... Pieces>
void trace(const Pieces&... pieces) {
    if (!traceEnabled()) {
        return;
    }
    std::wstring line;
    (appendTracePiece(line, pieces), ...);
    writeTraceLine(line);
}

}  // namespace jlaunch
