// A jar read without a VM, over any bytes: the zip's directory and entries,
// the inflater and the manifest's lines. Never a read outside the memory it
// is given, and never more than the limit asked for.
#include <cstring>

#include "common/inflate.h"
#include "common/zip_entry.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace jlaunch;
    const std::string_view bytes = fuzz::asBytes(data, size);
    const auto read = [bytes](std::uint64_t offset, std::size_t count, void* out) {
        // As a file: a read past the end fails.
        if (offset > bytes.size() || count > bytes.size() - offset) return false;
        std::memcpy(out, bytes.data() + offset, count);
        return true;
    };
    const auto entry = readZipEntry(bytes.size(), read, "META-INF/MANIFEST.MF", 4096);
    fuzz::check(!entry || entry->size() <= 4096);
    const auto inflated = inflateRaw(bytes, 65536);
    fuzz::check(!inflated || inflated->size() <= 65536);
    if (const auto value = manifestAttribute(bytes, "SplashScreen-Image")) {
        fuzz::check(value->size() < size);
    }
    return 0;
}
