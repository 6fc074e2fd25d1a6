#include "trace.h"

#include <mutex>
#include <optional>
#include <string>

#include "common/handles_win.h"
#include "win_util.h"

namespace fake_jvm {

namespace {

struct TraceFile {
    std::mutex mutex;
    std::optional<std::wstring> path;
    jlaunch::UniqueFileHandle file;
};

// Never destroyed: threads may still trace while the process exits.
TraceFile& traceFile() {
    static auto* instance = new TraceFile;
    return *instance;
}

void writeAll(HANDLE file, std::string_view bytes) {
    while (!bytes.empty()) {
        DWORD written = 0;
        if (!WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) || written == 0) {
            return;
        }
        bytes.remove_prefix(written);
    }
}

}  // namespace

void trace(std::string_view line) {
    std::string record(line);
    record.push_back('\n');
    TraceFile& state = traceFile();
    const std::lock_guard lock(state.mutex);
    // A test may point the variable elsewhere between VMs: follow it.
    auto path = environmentVariable(kTraceVariable);
    if (path != state.path) {
        state.path = std::move(path);
        state.file.reset();
        if (state.path && !state.path->empty()) {
            state.file.reset(CreateFileW(state.path->c_str(), FILE_APPEND_DATA,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
        }
    }
    if (state.file) {
        // One write per line: appends from several threads never interleave.
        writeAll(state.file.get(), record);
    }
}

void traceAndExit(std::string_view line, UINT exitCode) {
    trace(line);
    const HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
    if (error != nullptr && error != INVALID_HANDLE_VALUE) {
        writeAll(error, "fake jvm.dll: " + std::string(line) + "\n");
    }
    ExitProcess(exitCode);
}

}  // namespace fake_jvm
