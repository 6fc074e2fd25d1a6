#include "common/trace.h"

#include <cstdarg>
#include <cstdio>
#include <mutex>

#include "common/environment.h"
#include "common/standard_error.h"
#include "common/system.h"
#include "common/text.h"
#include "common/unique_resource.h"
#include "common/utf8_text.h"

namespace jlaunch {

namespace detail {
bool traceOn = false;
}  // namespace detail

// Platform: opens the trace file for writing text, truncated.
std::FILE* openTraceFile(const std::wstring& path);

namespace {

void closeTraceStream(std::FILE* stream) noexcept {
    if (stream != stderr) {
        std::fclose(stream);  // NOLINT(cppcoreguidelines-owning-memory)
    }
}

using UniqueTraceStream = UniqueResource<ClosedBy<std::FILE*, &closeTraceStream>>;

struct TraceSink {
    std::mutex mutex;
    UniqueTraceStream stream;
    std::uint64_t start = 0;  // set when the trace is opened
};

// Made before main (nothing is traced before then), so no thread ever
// races to make it.
TraceSink traceSink;
std::wstring tracedTarget;

}  // namespace

const std::wstring& traceTarget() {
    return tracedTarget;
}

void openTraceAt(const std::wstring& target) {
    const std::lock_guard lock(traceSink.mutex);
    detail::traceOn = false;
    traceSink.stream.reset(target.empty() ? nullptr : target == L"-" ? stderr : openTraceFile(target));
    traceSink.start = monotonicMilliseconds();
    detail::traceOn = traceSink.stream.valid();
}

void openTrace() {
    const auto target = environmentVariable(kTraceVariable);
    if (!target) {
        return;
    }
    removeEnvironmentVariable(kTraceVariable);
    tracedTarget = *target;
    openTraceAt(*target);
}

void closeTrace() {
    const std::lock_guard lock(traceSink.mutex);
    detail::traceOn = false;
    traceSink.stream.reset();
}

void writeTraceLine(std::wstring_view text) {
    std::wstring wide = decimalText(monotonicMilliseconds() - traceSink.start);
    wide.insert(0, wide.size() < 6 ? 6 - wide.size() : 0, L' ');
    wide += L" ms  ";
    // A control character would break the line in two; C1 controls and the
    // line and paragraph separators do so for readers that split on them,
    // so they are written as escapes.
    for (const wchar_t c : text) {
        const auto code = static_cast<std::uint32_t>(c);
        if (code < 0x20) {
            wide.push_back(L' ');
        } else if ((code >= 0x7F && code <= 0x9F) || code == 0x2028 || code == 0x2029) {
            constexpr wchar_t kHex[] = L"0123456789ABCDEF";
            wide += L"\\u";
            for (int shift = 12; shift >= 0; shift -= 4) {
                wide.push_back(kHex[(code >> shift) & 0xF]);
            }
        } else {
            wide.push_back(c);
        }
    }
    wide.push_back(L'\n');
    // Made before the lock is taken: the Windows launchers end an internal
    // failure (out of memory) without clean-up, which must leave it free
    // for the trace of the internal-error message.
    const std::string line = toUtf8(wide);
    const std::lock_guard lock(traceSink.mutex);
    if (traceSink.stream.get() == stderr) {
        // Shared with the launcher's messages: one encoding on the stream.
        writeStandardError(wide);
        return;
    }
    if (traceSink.stream) {
        std::fwrite(line.data(), 1, line.size(), traceSink.stream.get());
        // A launch that crashes keeps its trace.
        std::fflush(traceSink.stream.get());
    }
}

void writeTraceWords(std::uint64_t kinds, ...) {  // NOLINT(cppcoreguidelines-pro-type-vararg,cert-dcl50-cpp)
    std::wstring line;
    std::va_list words;
    va_start(words, kinds);
    for (; kinds != 0; kinds >>= 4) {
        const auto word = va_arg(words, std::uint64_t);  // NOLINT(cppcoreguidelines-pro-type-vararg)
        const void* object = reinterpret_cast<const void*>(static_cast<std::uintptr_t>(word));
        switch (kinds & 0xFu) {
            case detail::kTraceNarrowZ:
                line += toWide(std::string_view(static_cast<const char*>(object)));
                break;
            case detail::kTraceWideZ:
                line += static_cast<const wchar_t*>(object);
                break;
            case detail::kTraceWideString:
                line += *static_cast<const std::wstring*>(object);
                break;
            case detail::kTraceNarrowString:
                line += toWide(*static_cast<const std::string*>(object));
                break;
            case detail::kTraceWideView:
                line += *static_cast<const std::wstring_view*>(object);
                break;
            case detail::kTraceNarrowView:
                line += toWide(*static_cast<const std::string_view*>(object));
                break;
            case detail::kTraceSigned:
                line += decimalText(static_cast<std::int64_t>(word));
                break;
            case detail::kTraceUnsigned:
                line += decimalText(word);
                break;
            case detail::kTraceFlag:
                line += word != 0 ? L"yes" : L"no";
                break;
            default: {
                const auto* other = static_cast<const detail::TraceOther*>(object);
                other->append(line, other->value);
                break;
            }
        }
    }
    va_end(words);
    writeTraceLine(line);
}

}  // namespace jlaunch
