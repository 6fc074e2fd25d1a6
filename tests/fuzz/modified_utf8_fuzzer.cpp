// Text the VM hands out in its modified UTF-8: any bytes decode, and what
// the launcher makes of its own text comes back unchanged.
#include <string>

#include "fuzz_support.h"
#include "jvmhost/java_strings.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace jlaunch;
    const std::string bytes(fuzz::asBytes(data, size));  // the decoder reads up to a NUL
    const std::wstring decoded = fromModifiedUtf8(bytes.c_str());
    fuzz::check(decoded.size() <= bytes.size());
    const std::u16string units = toUtf16Units(decoded);
    fuzz::check(units.size() >= decoded.size());
    return 0;
}
