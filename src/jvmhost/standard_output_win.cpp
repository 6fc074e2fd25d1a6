#include <windows.h>

#include "common/console_mode.h"
#include "common/handles_win.h"
#include "common/thread.h"
#include "common/trace.h"
#include "jvmhost/standard_output.h"
#include "jvmhost/vm_output.h"

namespace jlaunch {

namespace {

// Told apart from the runtime's text (which has no NUL): the reader has
// taken everything written before it.
constexpr char kSettleMark = '\0';

// For the rest of the process: the VM keeps the write end as its stdout.
UniqueHandle readEnd;
UniqueHandle writeEnd;
UniqueHandle settled;

// Kept while the VM starts, and passed on to where the output went before.
void take(std::string_view text, HANDLE original) {
    keepVmText(text);
    DWORD written = 0;
    if (original != nullptr && original != INVALID_HANDLE_VALUE && !text.empty()) {
        WriteFile(original, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    }
}

void readForever(HANDLE pipe, HANDLE settledEvent, HANDLE original) {
    char buffer[4096];
    DWORD read = 0;
    // Read to the end, so that an application printing after the start
    // never blocks on a full pipe.
    while (ReadFile(pipe, buffer, sizeof buffer, &read, nullptr) && read > 0) {
        std::string_view text(buffer, read);
        for (auto mark = text.find(kSettleMark); mark != std::string_view::npos; mark = text.find(kSettleMark)) {
            take(text.substr(0, mark), original);
            SetEvent(settledEvent);
            text.remove_prefix(mark + 1);
        }
        take(text, original);
    }
}

}  // namespace

void captureStandardOutput() {
    // The console build's user reads the console.
    if (consoleMode()) {
        return;
    }
    const HANDLE original = GetStdHandle(STD_OUTPUT_HANDLE);
    HANDLE read = nullptr;
    HANDLE write = nullptr;
    if (!CreatePipe(&read, &write, nullptr, 65536)) {
        return;
    }
    readEnd.reset(read);
    writeEnd.reset(write);
    settled.reset(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    if (!settled ||
        !startDetachedThread([read, event = settled.get(), original] { readForever(read, event, original); })) {
        writeEnd.reset();
        readEnd.reset();
        return;
    }
    SetStdHandle(STD_OUTPUT_HANDLE, write);
    trace("standard output: read by the launcher and passed on");
}

void settleStandardOutput() noexcept {
    if (!writeEnd) {
        return;
    }
    DWORD written = 0;
    if (WriteFile(writeEnd.get(), &kSettleMark, 1, &written, nullptr) && written == 1) {
        // Bounded: the process is on its way out when this is asked.
        WaitForSingleObject(settled.get(), 5000);
    }
}

}  // namespace jlaunch
