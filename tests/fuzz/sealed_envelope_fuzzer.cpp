// The launcher's reading of carried settings and of a forwarded argument
// block, over any bytes: an answer or a refusal, never a read outside the
// input. The iteration count is capped by the reader, so each input is quick.
#include <array>
#include <cstring>

#include "fuzz_support.h"
#include "instance/argument_block.h"
#include "settings/embedded/embedded_settings.h"
#include "settings/embedded/sealed_settings.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace jlaunch;
    const std::vector<std::uint8_t> bytes(data, data + size);
    const OpenedSettings opened = openSealedSettings(bytes, L"code");
    fuzz::check(opened.status != SealedStatus::Opened || !bytes.empty());
    const EmbeddedText text = openEmbeddedSettings(CarriedBytes{true, false, bytes}, L"code");
    fuzz::check(text.status != EmbeddedStatus::None);
    std::array<std::uint8_t, kArgumentRegionSize> region{};
    std::memcpy(region.data(), data, std::min(size, region.size()));
    const auto arguments = readArguments(region);
    fuzz::check(!arguments.empty());
    return 0;
}
