#pragma once
// VM parameters: quotes removed, heap and stack sizes given as a share of
// the machine's memory turned into kilobytes, and the Java thread's stack.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
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

// A share of the machine's memory: "<percent>[:<floor MB>[:<ceiling MB>]]"
// between the prefix and the letter. The percent may have a fraction and
// counts as 100 above that; floor and ceiling are whole numbers.
struct MemoryShare {
    enum class Form { Share, NotAShare, TooLarge };
    Form form = Form::NotAShare;
    double percent = 0;
    std::uint64_t floor = 0;    // MB
    std::uint64_t ceiling = 0;  // MB; 0 for none
};

// The share a parameter such as "-Xmx50P" names. Anything else between the
// four-letter prefix and the last letter (no number, a letter, a second
// dot) is no share; a floor or ceiling that does not fit in 64 bits is too
// large.
MemoryShare parseMemoryShare(std::wstring_view parameter);

// -Xmx50P and the like become -Xmx<kilobytes>K; a parameter that is no
// share stays as it is. False when a number of the form is too large.
bool resolveMemoryPercent(std::wstring& parameter, const MemoryStatus& memory);

// The stack size in bytes that an "-Xss" parameter sets: 0 (the VM's
// default) when it is not a single number, nothing when it does not fit in
// 64 bits.
std::optional<std::uint64_t> stackSizeOf(const std::wstring& parameter);

// Unquotes, resolves a percentage, records the stack size of "-Xss" and
// appends the parameter to `options`. A form whose numbers are too large is
// left out, so the VM's default applies, and so is an empty parameter, which
// no VM accepts.
void applyVmParameter(std::wstring parameter, std::vector<std::wstring>& options, std::uint64_t& javaThreadStackSize,
                      const MemoryStatus& memory);

}  // namespace jlaunch
