#pragma once
// The resources of a PE image as a tree of type, name and language, read
// from and written to the bytes of a resource section.
#include <compare>
#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace jlaunch::pack {

// A type or name: a number, or (when `name` is not empty) a text. Texts sort
// before numbers and among themselves by code unit, as the loader's binary
// search expects.
struct ResourceKey {
    std::uint16_t id = 0;
    std::u16string name;

    static ResourceKey number(std::uint16_t value) { return {value, {}}; }
    static ResourceKey text(std::u16string value) { return {0, std::move(value)}; }
    bool named() const { return !name.empty(); }
    std::strong_ordering operator<=>(const ResourceKey& other) const;
    bool operator==(const ResourceKey& other) const = default;
};

struct ResourceData {
    std::vector<std::uint8_t> bytes;
    std::uint32_t codePage = 0;
    bool operator==(const ResourceData& other) const = default;
};

using LanguageMap = std::map<std::uint16_t, ResourceData>;
using NameMap = std::map<ResourceKey, LanguageMap>;
using ResourceTree = std::map<ResourceKey, NameMap>;

inline constexpr std::uint16_t kRtIcon = 3;
inline constexpr std::uint16_t kRtRcData = 10;
inline constexpr std::uint16_t kRtGroupIcon = 14;
inline constexpr std::uint16_t kRtVersion = 16;
inline constexpr std::uint16_t kRtManifest = 24;

// Reads the tree of a resource section; `image` gives the bytes of a data
// entry. Nothing when the directory is malformed: an entry outside it, a
// directory or data entry reached twice, or data of more than `dataLimit`
// bytes in all (a tree never holds more than the file it comes from).
struct ImageBytes {
    virtual ~ImageBytes() = default;
    ImageBytes() = default;
    ImageBytes(const ImageBytes&) = delete;
    ImageBytes& operator=(const ImageBytes&) = delete;
    virtual std::optional<std::span<const std::uint8_t>> atRva(std::uint32_t rva, std::uint32_t size) const = 0;
};
std::optional<ResourceTree> readResourceTree(std::span<const std::uint8_t> directory, const ImageBytes& image,
                                             std::uint64_t dataLimit);

// The bytes of a resource section holding `tree`, to be placed at `sectionRva`.
std::vector<std::uint8_t> writeResourceTree(const ResourceTree& tree, std::uint32_t sectionRva);

// The data of the first language of type/name, if any.
const ResourceData* findResource(const ResourceTree& tree, const ResourceKey& type, const ResourceKey& name);

}  // namespace jlaunch::pack
