// The picture checks made before a decoder sees a splash picture, over any
// file: the stated size, a GIF's frames counted up to the limit and one
// more, never a read outside the file.
#include "common/file_reader.h"
#include "fuzz_support.h"
#include "splash/picture_size.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace jlaunch;
    const FileReader file(fuzz::inputFile(fuzz::asBytes(data, size)));
    pictureSize(file);
    const auto frames = gifFrameCount(file, 100);
    fuzz::check(!frames || *frames <= 101);
    // A frame takes at least a descriptor: no more frames than the file has room for.
    fuzz::check(!frames || std::uint64_t{*frames} * 10 <= size);
    isAcceptablePicture(file);
    return 0;
}
