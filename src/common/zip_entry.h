#pragma once
// One entry of a zip file (a jar) read without a Java VM: found through the
// central directory, stored or deflated, every offset and size checked
// against the file. No ZIP64, no encryption: a jar's manifest and splash
// picture need neither.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "common/function_ref.h"

namespace jlaunch {

// Reads exactly `count` bytes at `offset` of the zip file; false when it is shorter.
using ZipReadFunction = FunctionRef<bool(std::uint64_t offset, std::size_t count, void* out)>;

// The bytes of the entry named exactly `name`; nothing when the file is no
// zip, has no such entry, the entry is damaged or uses another method, or
// it holds more than `limit` bytes.
std::optional<std::string> readZipEntry(std::uint64_t fileSize, ZipReadFunction read, std::string_view name,
                                        std::size_t limit);

// The value of the attribute `name` (any letter case) in the main section
// of a jar manifest's text, continuation lines joined; nothing when absent.
std::optional<std::string> manifestAttribute(std::string_view manifest, std::string_view name);

}  // namespace jlaunch
