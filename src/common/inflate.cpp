#include "common/inflate.h"

#include <array>
#include <cstdint>
#include <span>

#include "common/byte_order.h"

namespace jlaunch {

namespace {

constexpr int kMaxBits = 15;

// Canonical Huffman codes as counts per length and symbols in code order.
struct Huffman {
    std::array<std::uint16_t, kMaxBits + 1> count{};
    std::array<std::uint16_t, 288> symbol{};
};

class Inflater {
public:
    Inflater(std::string_view in, std::size_t limit) : in_(in), limit_(limit) {}

    bool run() {
        bool last = false;
        while (!last) {
            last = bits(1) == 1;
            const int type = bits(2);
            const bool done = type == 0 ? stored() : type == 1 ? fixed() : type == 2 ? dynamic() : false;
            if (!done || failed_) {
                return false;
            }
        }
        return true;
    }

    std::string& out() { return out_; }

private:
    int bits(int need) {
        std::uint32_t value = bitBuffer_;
        while (bitCount_ < need) {
            if (position_ >= in_.size()) {
                failed_ = true;
                return 0;
            }
            value |= static_cast<std::uint32_t>(static_cast<unsigned char>(in_[position_++])) << bitCount_;
            bitCount_ += 8;
        }
        bitBuffer_ = value >> need;
        bitCount_ -= need;
        return static_cast<int>(value & ((1u << need) - 1));
    }

    bool put(char byte) {
        if (out_.size() >= limit_) {
            return false;
        }
        out_.push_back(byte);
        return true;
    }

    bool stored() {
        bitBuffer_ = 0;
        bitCount_ = 0;
        if (in_.size() - position_ < 4) {
            return false;
        }
        const std::span<const std::uint8_t> header(reinterpret_cast<const std::uint8_t*>(in_.data()) + position_, 4);
        const auto length = static_cast<unsigned>(readU16(header, 0));
        const auto complement = static_cast<unsigned>(readU16(header, 2));
        position_ += 4;
        if (length != (~complement & 0xFFFFu) || in_.size() - position_ < length || limit_ - out_.size() < length) {
            return false;
        }
        out_.append(in_.substr(position_, length));
        position_ += length;
        return true;
    }

    // The next symbol of `code`; -1 when the bits match no code.
    int decode(const Huffman& code) {
        int value = 0;
        int first = 0;
        int index = 0;
        for (int length = 1; length <= kMaxBits; ++length) {
            value |= bits(1);
            const int count = code.count[static_cast<std::size_t>(length)];
            if (failed_) {
                return -1;
            }
            if (value - count < first) {
                const int at = index + (value - first);  // below the symbol count: value - first < count
                return code.symbol[static_cast<std::size_t>(at)];
            }
            index += count;
            first = (first + count) << 1;
            value <<= 1;
        }
        return -1;
    }

    // False when the lengths over-subscribe the code, or leave an incomplete
    // code that more than one length-1 code would need.
    static bool build(Huffman& code, const std::uint16_t* lengths, int symbols) {
        code.count.fill(0);
        for (int s = 0; s < symbols; ++s) {
            ++code.count[lengths[s]];
        }
        if (code.count[0] == symbols) {
            return true;  // no codes: only an unused distance code may be so
        }
        int left = 1;
        for (int length = 1; length <= kMaxBits; ++length) {
            left = (left << 1) - code.count[static_cast<std::size_t>(length)];
            if (left < 0) {
                return false;
            }
        }
        std::array<std::uint16_t, kMaxBits + 1> offsets{};
        for (int length = 1; length < kMaxBits; ++length) {
            const int next = length + 1;
            offsets[static_cast<std::size_t>(next)] = static_cast<std::uint16_t>(
                offsets[static_cast<std::size_t>(length)] + code.count[static_cast<std::size_t>(length)]);
        }
        for (int s = 0; s < symbols; ++s) {
            if (lengths[s] != 0) {
                code.symbol[offsets[lengths[s]]++] = static_cast<std::uint16_t>(s);
            }
        }
        return true;
    }

    bool codes(const Huffman& literals, const Huffman& distances) {
        static constexpr std::uint16_t kLengthBase[] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                                        31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
        static constexpr std::uint8_t kLengthExtra[] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                                        2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
        static constexpr std::uint16_t kDistanceBase[] = {
            1,   2,   3,   4,   5,   7,    9,    13,   17,   25,   33,   49,   65,    97,    129,
            193, 257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
        static constexpr std::uint8_t kDistanceExtra[] = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                                          6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};
        for (;;) {
            const int symbol = decode(literals);
            if (symbol < 0) {
                return false;
            }
            if (symbol < 256) {
                if (!put(static_cast<char>(symbol))) {
                    return false;
                }
                continue;
            }
            if (symbol == 256) {
                return true;
            }
            const int lengthIndex = symbol - 257;
            if (lengthIndex >= 29) {
                return false;
            }
            const std::size_t length =
                kLengthBase[lengthIndex] + static_cast<std::size_t>(bits(kLengthExtra[lengthIndex]));
            const int distanceIndex = decode(distances);
            if (distanceIndex < 0 || distanceIndex >= 30) {
                return false;
            }
            const std::size_t distance =
                kDistanceBase[distanceIndex] + static_cast<std::size_t>(bits(kDistanceExtra[distanceIndex]));
            if (failed_ || distance > out_.size()) {
                return false;
            }
            for (std::size_t i = 0; i < length; ++i) {
                if (!put(out_[out_.size() - distance])) {
                    return false;
                }
            }
        }
    }

    bool fixed() {
        std::array<std::uint16_t, 288 + 30> lengths{};
        for (std::size_t s = 0; s < 288; ++s) {
            lengths[s] = s < 144 ? 8 : s < 256 ? 9 : s < 280 ? 7 : 8;
        }
        for (std::size_t s = 288; s < lengths.size(); ++s) {
            lengths[s] = 5;
        }
        Huffman literals;
        Huffman distances;
        build(literals, lengths.data(), 288);
        build(distances, lengths.data() + 288, 30);
        return codes(literals, distances);
    }

    bool dynamic() {
        const int literalCount = bits(5) + 257;
        const int distanceCount = bits(5) + 1;
        const int lengthCodeCount = bits(4) + 4;
        if (failed_ || literalCount > 286 || distanceCount > 30) {
            return false;
        }
        static constexpr std::uint8_t kOrder[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};
        std::array<std::uint16_t, 19> lengthLengths{};
        for (int i = 0; i < lengthCodeCount; ++i) {
            lengthLengths[kOrder[i]] = static_cast<std::uint16_t>(bits(3));
        }
        Huffman lengthCode;
        if (failed_ || !build(lengthCode, lengthLengths.data(), 19)) {
            return false;
        }
        std::array<std::uint16_t, 286 + 30> lengths{};
        int index = 0;
        while (index < literalCount + distanceCount) {
            const int symbol = decode(lengthCode);
            if (symbol < 0) {
                return false;
            }
            if (symbol < 16) {
                lengths[static_cast<std::size_t>(index++)] = static_cast<std::uint16_t>(symbol);
                continue;
            }
            std::uint16_t repeated = 0;
            int times = 0;
            if (symbol == 16) {
                if (index == 0) {
                    return false;
                }
                repeated = lengths[static_cast<std::size_t>(index - 1)];
                times = 3 + bits(2);
            } else {
                times = symbol == 17 ? 3 + bits(3) : 11 + bits(7);
            }
            if (failed_ || index + times > literalCount + distanceCount) {
                return false;
            }
            while (times-- > 0) {
                lengths[static_cast<std::size_t>(index++)] = repeated;
            }
        }
        if (lengths[256] == 0) {
            return false;  // no end-of-block code
        }
        Huffman literals;
        Huffman distances;
        return build(literals, lengths.data(), literalCount) &&
               build(distances, lengths.data() + literalCount, distanceCount) && codes(literals, distances);
    }

    std::string_view in_;
    std::size_t limit_;
    std::size_t position_ = 0;
    std::uint32_t bitBuffer_ = 0;
    int bitCount_ = 0;
    bool failed_ = false;
    std::string out_;
};

}  // namespace

std::optional<std::string> inflateRaw(std::string_view deflated, std::size_t limit) {
    Inflater inflater(deflated, limit);
    if (!inflater.run()) {
        return std::nullopt;
    }
    return std::move(inflater.out());
}

}  // namespace jlaunch
