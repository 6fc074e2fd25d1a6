#include "version_info.h"

#include <algorithm>

#include "byte_io.h"

namespace jlaunch::pack {

namespace {

constexpr std::uint32_t kFixedSignature = 0xFEEF04BD;

// One node: header, key, value and children, each started on a 4-byte boundary.
struct Node {
    std::u16string key;
    std::vector<std::uint8_t> value;
    std::uint16_t valueLength = 0;  // in bytes for binary values, in characters for text
    std::uint16_t type = 0;         // 1 for text
    std::vector<Node> children;
};

void appendText(std::vector<std::uint8_t>& out, std::u16string_view text) {
    for (char16_t c : text) {
        appendU16(out, static_cast<std::uint16_t>(c));
    }
    appendU16(out, 0);
}

// False when a node outgrows its 16-bit length.
bool write(std::vector<std::uint8_t>& out, const Node& node) {
    padTo(out, 4);
    const std::size_t start = out.size();
    appendU16(out, 0);  // length, set below
    appendU16(out, node.valueLength);
    appendU16(out, node.type);
    appendText(out, node.key);
    padTo(out, 4);
    out.insert(out.end(), node.value.begin(), node.value.end());
    for (const Node& child : node.children) {
        if (!write(out, child)) {
            return false;
        }
    }
    if (out.size() - start > 0xFFFF) {
        return false;
    }
    writeU16(out, start, static_cast<std::uint16_t>(out.size() - start));
    return true;
}

Node textNode(const std::u16string& name, const std::u16string& value) {
    // A value too long for its length field fails the node's own length check.
    Node node{name, {}, static_cast<std::uint16_t>(std::min<std::size_t>(value.size() + 1, 0xFFFF)), 1, {}};
    appendText(node.value, value);
    return node;
}

}  // namespace

std::optional<VersionNumbers> parseVersionNumbers(std::u16string_view text) {
    VersionNumbers numbers{};
    std::size_t index = 0;
    std::size_t at = 0;
    while (true) {
        std::uint32_t value = 0;
        std::size_t digits = 0;
        while (at < text.size() && text[at] >= u'0' && text[at] <= u'9' && digits < 6) {
            value = value * 10 + static_cast<std::uint32_t>(text[at] - u'0');
            ++at;
            ++digits;
        }
        if (digits == 0 || value > 0xFFFF || index == numbers.size()) {
            return std::nullopt;
        }
        numbers[index++] = static_cast<std::uint16_t>(value);
        if (at == text.size()) {
            return numbers;
        }
        if (text[at] != u'.') {
            return std::nullopt;
        }
        ++at;
    }
}

std::u16string versionText(const VersionNumbers& numbers) {
    std::u16string text;
    for (std::size_t i = 0; i < numbers.size(); ++i) {
        if (i != 0) {
            text.push_back(u'.');
        }
        for (char c : std::to_string(numbers[i])) {
            text.push_back(static_cast<char16_t>(c));
        }
    }
    return text;
}

std::optional<VersionNumbers> fileVersionOf(std::span<const std::uint8_t> resource) {
    // The fixed part follows the header (6 bytes) and "VS_VERSION_INFO" with
    // its terminator (32 bytes), aligned to 4.
    constexpr std::size_t kFixedAt = 40;
    if (!fits(resource, kFixedAt, 52) || readU32(resource, kFixedAt) != kFixedSignature) {
        return std::nullopt;
    }
    const std::uint32_t high = readU32(resource, kFixedAt + 8);
    const std::uint32_t low = readU32(resource, kFixedAt + 12);
    return VersionNumbers{static_cast<std::uint16_t>(high >> 16), static_cast<std::uint16_t>(high),
                          static_cast<std::uint16_t>(low >> 16), static_cast<std::uint16_t>(low)};
}

std::optional<std::vector<std::uint8_t>> buildVersionResource(const VersionStrings& version) {
    const auto& n = version.numbers;
    const std::uint32_t high = (std::uint32_t{n[0]} << 16) | n[1];
    const std::uint32_t low = (std::uint32_t{n[2]} << 16) | n[3];
    Node root{u"VS_VERSION_INFO", {}, 52, 0, {}};
    for (std::uint32_t field : {kFixedSignature, 0x00010000u, high, low, high, low, 0x3Fu, 0u,
                                0x00040004u /* VOS_NT_WINDOWS32 */, 1u /* VFT_APP */, 0u, 0u, 0u}) {
        appendU32(root.value, field);
    }
    Node table{u"040904b0", {}, 0, 1, {}};  // US English, Unicode
    for (const auto& [name, value] : version.strings) {
        if (!value.empty()) {
            table.children.push_back(textNode(name, value));
        }
    }
    root.children.push_back(Node{u"StringFileInfo", {}, 0, 1, {table}});
    Node translation{u"Translation", {}, 4, 0, {}};
    appendU16(translation.value, 0x0409);
    appendU16(translation.value, 1200);
    root.children.push_back(Node{u"VarFileInfo", {}, 0, 1, {translation}});

    std::vector<std::uint8_t> out;
    if (!write(out, root)) {
        return std::nullopt;
    }
    return out;
}

}  // namespace jlaunch::pack
