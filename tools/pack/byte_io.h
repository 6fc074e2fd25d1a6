#pragma once
// Layout helpers of the packer; the byte-order reads and writes are the
// launcher's own (common/byte_order.h).
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "common/byte_order.h"

namespace jlaunch::pack {

inline void padTo(std::vector<std::uint8_t>& out, std::size_t alignment) {
    while (out.size() % alignment != 0) {
        out.push_back(0);
    }
}
inline bool fits(std::span<const std::uint8_t> bytes, std::uint64_t at, std::uint64_t count) {
    return at <= bytes.size() && count <= bytes.size() - at;
}

}  // namespace jlaunch::pack
