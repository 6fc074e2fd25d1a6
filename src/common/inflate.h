#pragma once
// Raw deflate data (RFC 1951, as a zip entry holds it) inflated, with every
// read checked against the input and the output bounded.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace jlaunch {

// The inflated bytes; nothing when the data is damaged, ends early, or
// would inflate to more than `limit` bytes.
std::optional<std::string> inflateRaw(std::string_view deflated, std::size_t limit);

}  // namespace jlaunch
