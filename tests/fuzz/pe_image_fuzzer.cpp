// The PE header reader over any file: an answer or none, never a read
// outside the file.
#include "common/file_reader.h"
#include "common/pe_image.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace jlaunch;
    const std::wstring path = fuzz::inputFile(fuzz::asBytes(data, size));
    const FileReader file(path);
    const auto machine = peImageMachine(file);
    fuzz::check(!machine || size >= 64 + 24);
    fuzz::check(isX86Image(path) == (machine == kMachineX86));
    return 0;
}
