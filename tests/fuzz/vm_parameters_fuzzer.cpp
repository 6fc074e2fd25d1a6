// VM parameters as a settings value gives them: split at spaces outside
// quotes, unquoted, memory shares resolved. Fed inputs up to 1 MB, so that
// work that grows with the square of the length shows as a time-out.
#include "fuzz_support.h"
#include "jvmhost/memory_options.h"
#include "jvmhost/vm_options.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace jlaunch;
    const std::wstring text = toWide(fuzz::asBytes(data, size));
    const std::vector<std::wstring> parameters = splitVmParameters(text);
    std::size_t total = 0;
    for (const std::wstring& parameter : parameters) {
        fuzz::check(!parameter.empty() && parameter.front() != L' ');
        total += parameter.size();
    }
    fuzz::check(total <= text.size());
    std::vector<std::wstring> options;
    std::uint64_t stack = 0;
    for (const std::wstring& parameter : parameters) {
        std::wstring unquoted = parameter;
        unquoteParameter(unquoted);
        fuzz::check(unquoted.size() <= parameter.size());
        applyVmParameter(parameter, options, stack, {std::uint64_t{16} << 30, std::uint64_t{1} << 47});
    }
    for (const std::wstring& option : options) {
        fuzz::check(!option.empty());
    }
    return 0;
}
