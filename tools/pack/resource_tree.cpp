#include "resource_tree.h"

#include <algorithm>
#include <set>
#include <type_traits>

#include "byte_io.h"

namespace jlaunch::pack {

namespace {

constexpr std::uint32_t kHighBit = 0x80000000u;
constexpr std::size_t kDirectorySize = 16;
constexpr std::size_t kEntrySize = 8;
constexpr std::size_t kDataEntrySize = 16;

struct Reader {
    std::span<const std::uint8_t> directory;
    const ImageBytes& image;
    std::uint64_t dataLimit;
    // A well-formed tree names each directory and each data entry once; one
    // reached twice would multiply what is copied.
    mutable std::set<std::uint32_t> visited;
    mutable std::uint64_t dataTotal = 0;

    bool firstVisit(std::uint32_t at) const { return visited.insert(at).second; }

    std::optional<ResourceKey> key(std::uint32_t field) const {
        if ((field & kHighBit) == 0) {
            if (field > 0xFFFF) {
                return std::nullopt;
            }
            return ResourceKey::number(static_cast<std::uint16_t>(field));
        }
        const std::uint32_t at = field & ~kHighBit;
        if (!fits(directory, at, 2)) {
            return std::nullopt;
        }
        const std::uint16_t length = readU16(directory, at);
        if (length == 0 || !fits(directory, std::uint64_t{at} + 2, std::uint64_t{2} * length)) {
            return std::nullopt;
        }
        std::u16string text;
        for (std::uint16_t i = 0; i < length; ++i) {
            text.push_back(static_cast<char16_t>(readU16(directory, at + 2u + 2u * i)));
        }
        return ResourceKey::text(std::move(text));
    }

    // Calls `visit(key, field)` for each entry of the directory at `at`.
    template <typename Visit>
    bool entries(std::uint32_t at, Visit visit) const {
        if (!fits(directory, at, kDirectorySize) || !firstVisit(at)) {
            return false;
        }
        const std::size_t count = std::size_t{readU16(directory, at + 12)} + readU16(directory, at + 14);
        if (!fits(directory, at + kDirectorySize, count * kEntrySize)) {
            return false;
        }
        for (std::size_t i = 0; i < count; ++i) {
            const std::size_t entry = at + kDirectorySize + i * kEntrySize;
            const auto name = key(readU32(directory, entry));
            if (!name || !visit(*name, readU32(directory, entry + 4))) {
                return false;
            }
        }
        return true;
    }

    std::optional<ResourceData> data(std::uint32_t field) const {
        if ((field & kHighBit) != 0 || !fits(directory, field, kDataEntrySize) || !firstVisit(field)) {
            return std::nullopt;
        }
        const std::uint32_t size = readU32(directory, field + 4);
        dataTotal += size;
        if (dataTotal > dataLimit) {
            return std::nullopt;
        }
        const auto bytes = image.atRva(readU32(directory, field), size);
        if (!bytes) {
            return std::nullopt;
        }
        return ResourceData{{bytes->begin(), bytes->end()}, readU32(directory, field + 8)};
    }
};

std::vector<std::uint8_t> stringBytes(const std::u16string& text) {
    std::vector<std::uint8_t> out;
    appendU16(out, static_cast<std::uint16_t>(text.size()));
    for (char16_t c : text) {
        appendU16(out, static_cast<std::uint16_t>(c));
    }
    return out;
}

}  // namespace

std::strong_ordering ResourceKey::operator<=>(const ResourceKey& other) const {
    if (named() != other.named()) {
        return named() ? std::strong_ordering::less : std::strong_ordering::greater;
    }
    if (named()) {
        return name.compare(other.name) <=> 0;
    }
    return id <=> other.id;
}

std::optional<ResourceTree> readResourceTree(std::span<const std::uint8_t> directory, const ImageBytes& image,
                                             std::uint64_t dataLimit) {
    const Reader reader{directory, image, dataLimit, {}, 0};
    ResourceTree tree;
    // Exactly three levels: a subdirectory where data belongs, or data where a
    // subdirectory belongs, is malformed.
    const bool ok = reader.entries(0, [&](const ResourceKey& type, std::uint32_t typeField) {
        if ((typeField & kHighBit) == 0) {
            return false;
        }
        NameMap& names = tree[type];
        return reader.entries(typeField & ~kHighBit, [&](const ResourceKey& name, std::uint32_t nameField) {
            if ((nameField & kHighBit) == 0) {
                return false;
            }
            LanguageMap& languages = names[name];
            return reader.entries(nameField & ~kHighBit, [&](const ResourceKey& language, std::uint32_t dataField) {
                auto data = language.named() ? std::nullopt : reader.data(dataField);
                if (!data) {
                    return false;
                }
                languages[language.id] = std::move(*data);
                return true;
            });
        });
    });
    if (!ok) {
        return std::nullopt;
    }
    return tree;
}

std::vector<std::uint8_t> writeResourceTree(const ResourceTree& tree, std::uint32_t sectionRva) {
    // Layout: every directory (root, types, names), then the name strings,
    // then the data entries, then the data, each item 8-byte aligned.
    std::size_t directoriesSize = kDirectorySize + tree.size() * kEntrySize;
    std::size_t dataCount = 0;
    std::size_t stringsSize = 0;
    const auto countString = [&stringsSize](const ResourceKey& key) {
        if (key.named()) {
            stringsSize += 2 + 2 * key.name.size();
        }
    };
    for (const auto& [type, names] : tree) {
        countString(type);
        directoriesSize += kDirectorySize + names.size() * kEntrySize;
        for (const auto& [name, languages] : names) {
            countString(name);
            directoriesSize += kDirectorySize + languages.size() * kEntrySize;
            dataCount += languages.size();
        }
    }
    const auto align8 = [](std::size_t n) { return (n + 7) & ~std::size_t{7}; };
    const std::size_t stringsAt = directoriesSize;
    const std::size_t entriesAt = align8(stringsAt + stringsSize);
    std::size_t dataAt = align8(entriesAt + dataCount * kDataEntrySize);

    std::vector<std::uint8_t> out(dataAt, 0);
    std::size_t nextDirectory = 0;
    std::size_t nextString = stringsAt;
    std::size_t nextEntry = entriesAt;

    const auto nameField = [&](const ResourceKey& key) -> std::uint32_t {
        if (!key.named()) {
            return key.id;
        }
        const auto bytes = stringBytes(key.name);
        std::copy(bytes.begin(), bytes.end(), out.begin() + static_cast<std::ptrdiff_t>(nextString));
        const auto field = static_cast<std::uint32_t>(nextString) | kHighBit;
        nextString += bytes.size();
        return field;
    };
    const auto openDirectory = [&](const auto& map) {
        const std::size_t at = nextDirectory;
        std::uint16_t named = 0;
        for (const auto& item : map) {
            if constexpr (std::is_same_v<std::decay_t<decltype(item.first)>, ResourceKey>) {
                named = static_cast<std::uint16_t>(named + (item.first.named() ? 1 : 0));
            }
        }
        writeU16(out, at + 12, named);
        writeU16(out, at + 14, static_cast<std::uint16_t>(map.size() - named));
        nextDirectory += kDirectorySize + map.size() * kEntrySize;
        return at;
    };
    const auto setEntry = [&](std::size_t directory, std::size_t index, std::uint32_t name, std::uint32_t target) {
        const std::size_t entry = directory + kDirectorySize + index * kEntrySize;
        writeU32(out, entry, name);
        writeU32(out, entry + 4, target);
    };

    // Directories in breadth-first order, so every offset is known when written.
    const std::size_t root = openDirectory(tree);
    std::vector<std::size_t> typeDirectories;
    std::size_t index = 0;
    for (const auto& [type, names] : tree) {
        const std::size_t at = openDirectory(names);
        typeDirectories.push_back(at);
        setEntry(root, index++, nameField(type), static_cast<std::uint32_t>(at) | kHighBit);
    }
    std::size_t typeIndex = 0;
    for (const auto& [type, names] : tree) {
        std::size_t nameIndex = 0;
        for (const auto& [name, languages] : names) {
            const std::size_t at = openDirectory(languages);
            setEntry(typeDirectories[typeIndex], nameIndex++, nameField(name),
                     static_cast<std::uint32_t>(at) | kHighBit);
            std::size_t languageIndex = 0;
            for (const auto& [language, data] : languages) {
                setEntry(at, languageIndex++, language, static_cast<std::uint32_t>(nextEntry));
                out.resize(align8(out.size()));
                writeU32(out, nextEntry, sectionRva + static_cast<std::uint32_t>(out.size()));
                writeU32(out, nextEntry + 4, static_cast<std::uint32_t>(data.bytes.size()));
                writeU32(out, nextEntry + 8, data.codePage);
                nextEntry += kDataEntrySize;
                out.insert(out.end(), data.bytes.begin(), data.bytes.end());
            }
        }
        ++typeIndex;
    }
    out.resize(align8(out.size()));
    return out;
}

const ResourceData* findResource(const ResourceTree& tree, const ResourceKey& type, const ResourceKey& name) {
    const auto types = tree.find(type);
    if (types == tree.end()) {
        return nullptr;
    }
    const auto names = types->second.find(name);
    if (names == types->second.end() || names->second.empty()) {
        return nullptr;
    }
    return &names->second.begin()->second;
}

}  // namespace jlaunch::pack
