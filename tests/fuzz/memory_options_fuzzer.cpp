// Memory shares and stack sizes: never more than the machine has, never a
// parameter rewritten into something that is not a size.
#include "fuzz_support.h"
#include "jvmhost/memory_options.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace jlaunch;
    const std::wstring body = toWide(fuzz::asBytes(data, size));
    const MemoryStatus memory{std::uint64_t{8} << 30, std::uint64_t{1} << 40};
    for (const wchar_t* prefix : {L"-Xmx", L"-Xss"}) {
        for (const wchar_t* letter : {L"P", L"t"}) {
            std::wstring parameter = prefix + body + letter;
            const MemoryShare share = parseMemoryShare(parameter);
            fuzz::check(share.percent >= 0 && share.percent <= 100);
            const std::wstring written = parameter;
            if (resolveMemoryPercent(parameter, memory) && share.form == MemoryShare::Form::Share) {
                fuzz::check(parameter.starts_with(prefix) && parameter.back() == L'K');
                const std::uint64_t kilobytes = std::stoull(std::string(toNarrow(parameter.substr(4))));
                fuzz::check(kilobytes <= std::max<std::uint64_t>(memory.availableVirtual >> 10, share.floor * 1024));
            } else if (share.form == MemoryShare::Form::NotAShare) {
                fuzz::check(parameter == written);
            }
        }
        stackSizeOf(prefix + body);
    }
    return 0;
}
