#include "jvmhost/vm_output.h"

#include <algorithm>
#include <mutex>
#include <string>
#include <utility>

#include "common/file_reader.h"
#include "common/paths.h"
#include "common/text.h"
#include "common/trace.h"
#include "common/utf8_text.h"
#include "jvmhost/standard_output.h"

namespace jlaunch {

namespace {

// The VM may print from any of its threads. Plain globals: a function's
// static would bring the thread-safe guard into the exe.
struct Collector {
    std::mutex mutex;
    VmStage stage = VmStage::Running;
    std::string kept;
    std::wstring helperErrorFile;
    EarlyVmEndHandler earlyEnd = nullptr;
    void* earlyEndContext = nullptr;
    std::string quiet;
};
Collector c;

// Bytes for a message: "\r" dropped (messages end lines with "\n"), read as
// UTF-8, or else (not UTF-8, or cut through a character at the limit) as
// the platform's text; trimmed.
std::wstring messageText(const std::string& bytes) {
    std::string lines;
    for (const char character : bytes) {
        if (character != '\r') {
            lines.push_back(character);
        }
    }
    const std::optional<std::wstring> text = fromUtf8(lines);
    return std::wstring(trimWhiteSpace(text ? *text : toWide(lines)));
}

}  // namespace

jint JNICALL vmPrintHook(FILE* stream, const char* format, va_list arguments) {
    const std::string text = formatVmText(format, arguments);
    bool quiet = false;
    {
        const std::lock_guard lock(c.mutex);
        quiet = !c.quiet.empty() && text.find(c.quiet) != std::string::npos;
    }
    if (quiet) {
        trace("the VM said, kept off the console: ", trimWhiteSpace(toWide(text)));
        return static_cast<jint>(text.size());
    }
    writeVmText(stream, text);
    keepVmText(text);
    return static_cast<jint>(text.size());
}

void keepVmText(std::string_view text) noexcept {
    const std::lock_guard lock(c.mutex);
    if (c.stage != VmStage::Running && c.kept.size() < kVmOutputLimit) {
        c.kept.append(text.data(), std::min(text.size(), kVmOutputLimit - c.kept.size()));
    }
}

void enterVmStage(VmStage stage) noexcept {
    const std::lock_guard lock(c.mutex);
    if (stage == VmStage::Creating) {
        c.kept.clear();
    }
    c.stage = stage;
}

std::wstring collectedVmOutput() noexcept {
    settleStandardOutput();
    std::string bytes;
    {
        const std::lock_guard lock(c.mutex);
        bytes = c.kept;
    }
    return messageText(bytes);
}

void setQuietVmText(std::string text) noexcept {
    const std::lock_guard lock(c.mutex);
    c.quiet = std::move(text);
}

void setHelperErrorFile(const std::wstring& path) noexcept {
    const std::lock_guard lock(c.mutex);
    c.helperErrorFile = path;
}

void setEarlyVmEndHandler(EarlyVmEndHandler handler, void* context) noexcept {
    const std::lock_guard lock(c.mutex);
    c.earlyEnd = handler;
    c.earlyEndContext = context;
}

void notifyVmEnd() noexcept {
    settleStandardOutput();
    VmStage stage = VmStage::Running;
    std::string bytes;
    std::wstring helperFile;
    {
        const std::lock_guard lock(c.mutex);
        stage = c.stage;
        bytes = c.kept;
        helperFile = c.helperErrorFile;
    }
    if (stage == VmStage::Running) {
        return;
    }
    if (!helperFile.empty()) {
        const FileReader file(helperFile);
        std::string helperBytes(static_cast<std::size_t>(std::min<std::uint64_t>(file.size(), kVmOutputLimit)), '\0');
        if (file.readAt(0, helperBytes.size(), helperBytes.data())) {
            bytes.push_back('\n');
            bytes.append(helperBytes);
        }
        removeFile(helperFile);
    }
    // The handler shows it, and the trace has it from there.
    if (c.earlyEnd != nullptr) {
        c.earlyEnd(c.earlyEndContext, stage, messageText(bytes));
    }
}

}  // namespace jlaunch
