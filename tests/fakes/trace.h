#pragma once
// The trace: one event per line, UTF-8, appended to the file that
// JLAUNCH_FAKE_JVM_TRACE names and written through at once, so that a line
// survives the process ending right after it.
#include <windows.h>

#include <string_view>

#include "fake_jvm_protocol.h"

namespace fake_jvm {

void trace(std::string_view line);

// Traces the line, writes it to standard error and ends the process.
[[noreturn]] void traceAndExit(std::string_view line, UINT exitCode);

}  // namespace fake_jvm
