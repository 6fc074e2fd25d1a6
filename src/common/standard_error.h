#pragma once
// The one way text reaches standard error, so that messages, the trace and
// the VM's own words share one encoding on that stream.
#include <string_view>

namespace jlaunch {

// Windows: a console gets UTF-16 (it shows every character whatever its code
// page); a pipe or file gets UTF-8, as the UTF-8 code page the launcher runs
// in gives every other narrow text. Linux: UTF-8. False when nothing could be
// written (no standard error at all).
bool writeStandardError(std::wstring_view text);

}  // namespace jlaunch
