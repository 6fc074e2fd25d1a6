#pragma once
// VM parameters: quotes removed, heap and stack sizes given as a share of
// the machine's memory turned into kilobytes, and the Java thread's stack.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace jlaunch {

struct MemoryStatus {
    std::uint64_t totalPhysical = 0;     // bytes
    std::uint64_t availableVirtual = 0;  // bytes of address space the process may still use
};

MemoryStatus memoryStatus();

// Replaces each quoted span by its content; a doubled closing quote leaves
// one literal quote. A quote without partner stays.
void unquoteParameter(std::wstring& parameter);

struct NumberList {
    std::vector<std::uint64_t> numbers;  // up to three
    std::size_t start = 0;               // where the numeric part begins
    bool overflow = false;               // a number does not fit in 64 bits
};

// The ":"-separated numbers of a parameter; its last character is never
// read as a digit (it is the unit letter).
NumberList parseNumberList(const std::wstring& text);

// -Xmx50P and the like become -Xmx<kilobytes>K. False when a number of
// the form is too large, which leaves the parameter as it was.
bool resolveMemoryPercent(std::wstring& parameter, const MemoryStatus& memory);

// The stack size in bytes that an "-Xss" parameter sets: 0 (the VM's
// default) when it is not a single number, nothing when it does not fit in
// 64 bits.
std::optional<std::uint64_t> stackSizeOf(const std::wstring& parameter);

// Unquotes, resolves a percentage, records the stack size of "-Xss" and
// appends the parameter to `options`. A form whose numbers are too large is
// left out, so the VM's default applies.
void applyVmParameter(std::wstring parameter, std::vector<std::wstring>& options, std::uint64_t& javaThreadStackSize,
                      const MemoryStatus& memory);

}  // namespace jlaunch
