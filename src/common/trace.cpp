#include "common/trace.h"

#include <chrono>
#include <cstdio>
#include <mutex>

#include "common/environment.h"
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
    std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
};

TraceSink& sink() {
    static TraceSink instance;
    return instance;
}

}  // namespace

void openTraceAt(const std::wstring& target) {
    TraceSink& traceSink = sink();
    const std::lock_guard lock(traceSink.mutex);
    detail::traceOn = false;
    traceSink.stream.reset(target.empty() ? nullptr : target == L"-" ? stderr : openTraceFile(target));
    traceSink.start = std::chrono::steady_clock::now();
    detail::traceOn = traceSink.stream.valid();
}

void openTrace() {
    const auto target = environmentVariable(kTraceVariable);
    if (!target) {
        return;
    }
    removeEnvironmentVariable(kTraceVariable);
    openTraceAt(*target);
}

void closeTrace() {
    TraceSink& traceSink = sink();
    const std::lock_guard lock(traceSink.mutex);
    detail::traceOn = false;
    traceSink.stream.reset();
}

void writeTraceLine(std::wstring_view text) {
    TraceSink& traceSink = sink();
    const auto elapsed =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - traceSink.start);
    std::string line = std::to_string(elapsed.count());
    line.insert(0, line.size() < 6 ? 6 - line.size() : 0, ' ');
    line += " ms  ";
    std::wstring printable(text);
    // A control character would break the line in two.
    for (wchar_t& c : printable) {
        c = c < L' ' ? L' ' : c;
    }
    line += toUtf8(printable);
    line.push_back('\n');
    const std::lock_guard lock(traceSink.mutex);
    if (traceSink.stream) {
        std::fwrite(line.data(), 1, line.size(), traceSink.stream.get());
        // A launch that crashes keeps its trace.
        std::fflush(traceSink.stream.get());
    }
}

void appendTracePiece(std::wstring& line, std::string_view text) {
    line += toWide(text);
}

}  // namespace jlaunch
