// The C++ writers against the shared vectors in tests/vectors, which the
// Maven plugin's Java tests read too: both packers must make these bytes.
#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "common/utf8_text.h"
#include "envelope_seal.h"
#include "icon_file.h"
#include "pack_inputs.h"
#include "resource_tree.h"
#include "settings/embedded/sealed_settings.h"
#include "settings/embedded/settings_trailer.h"
#include "version_info.h"

namespace jlaunch::pack {
namespace {

namespace fs = std::filesystem;

const fs::path kRoot = fs::path(JLAUNCH_SOURCE_DIR);

using Record = std::map<std::string, std::vector<std::string>>;

std::vector<Record> readVectors(const std::string& name) {
    std::ifstream in(kRoot / "tests" / "vectors" / name);
    std::vector<Record> records;
    Record record;
    std::string line;
    while (std::getline(in, line)) {
        if (line.starts_with("#")) {
            continue;
        }
        if (line.empty()) {
            if (!record.empty()) {
                records.push_back(std::move(record));
            }
            record.clear();
            continue;
        }
        const std::size_t colon = line.find(':');
        std::string value = line.substr(colon + 1);
        if (value.starts_with(" ")) {
            value.erase(0, 1);
        }
        record[line.substr(0, colon)].push_back(value);
    }
    if (!record.empty()) {
        records.push_back(std::move(record));
    }
    return records;
}

std::string unescape(const std::string& value) {
    std::string out;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '\\' && i + 1 < value.size()) {
            const char next = value[++i];
            out.push_back(next == 'r' ? '\r' : next == 'n' ? '\n' : next);
        } else {
            out.push_back(value[i]);
        }
    }
    return out;
}

std::wstring text(const Record& r, const std::string& key) {
    return fromUtf8(unescape(r.at(key).at(0))).value_or(L"(not UTF-8)");
}

std::u16string text16(const Record& r, const std::string& key) {
    return toUtf16Units(text(r, key));
}

std::string hexOf(const std::vector<std::uint8_t>& bytes) {
    static const char kDigits[] = "0123456789abcdef";
    std::string out;
    for (std::uint8_t b : bytes) {
        out.push_back(kDigits[b >> 4]);
        out.push_back(kDigits[b & 15]);
    }
    return out;
}

std::vector<std::uint8_t> bytesOfHex(const std::string& hex) {
    std::vector<std::uint8_t> out;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
        out.push_back(static_cast<std::uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    }
    return out;
}

std::vector<std::uint8_t> fileBytes(const Record& r, const std::string& key) {
    std::ifstream in(kRoot / r.at(key).at(0), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

ResourceKey keyOf(const std::string& text) {
    if (text.find_first_not_of("0123456789") == std::string::npos) {
        return ResourceKey::number(static_cast<std::uint16_t>(std::stoi(text)));
    }
    return ResourceKey::text(std::u16string(text.begin(), text.end()));
}

TEST(SharedVectors, EnvelopesSealToTheVectorAndOpen) {
    const auto records = readVectors("envelopes.txt");
    ASSERT_FALSE(records.empty());
    for (const Record& r : records) {
        SCOPED_TRACE(r.at("name").at(0));
        const auto salt = bytesOfHex(r.at("salthex").at(0));
        const auto nonce = bytesOfHex(r.at("noncehex").at(0));
        ASSERT_EQ(salt.size(), 16u);
        ASSERT_EQ(nonce.size(), 12u);
        const auto expected = bytesOfHex(r.at("envelopehex").at(0));
        const auto sealed = sealSettingsTextWith(
            text(r, "text"), text(r, "code"), static_cast<std::uint32_t>(std::stoul(r.at("iterations").at(0))),
            std::span<const std::uint8_t, 16>(salt.data(), 16), std::span<const std::uint8_t, 12>(nonce.data(), 12));
        ASSERT_TRUE(sealed);
        EXPECT_EQ(hexOf(*sealed), hexOf(expected));
        const OpenedSettings opened = openSealedSettings(expected, text(r, "code"));
        EXPECT_EQ(opened.status, SealedStatus::Opened);
        EXPECT_EQ(opened.text, text(r, "text"));
    }
}

TEST(SharedVectors, TrailerFooters) {
    for (const Record& r : readVectors("trailers.txt")) {
        EXPECT_EQ(hexOf(trailerFooter(std::stoull(r.at("size").at(0)))), r.at("footerhex").at(0));
    }
}

TEST(SharedVectors, VersionResources) {
    for (const Record& r : readVectors("versions.txt")) {
        const auto numbers = parseVersionNumbers(text16(r, "numbers"));
        ASSERT_TRUE(numbers);
        VersionStrings version{*numbers, {}};
        for (const char* key : {"CompanyName", "FileDescription", "FileVersion", "InternalName", "LegalCopyright",
                                "OriginalFilename", "ProductName", "ProductVersion"}) {
            version.strings.emplace_back(std::u16string(key, key + std::char_traits<char>::length(key)),
                                         text16(r, key));
        }
        const auto resource = buildVersionResource(version);
        ASSERT_TRUE(resource);
        EXPECT_EQ(hexOf(*resource), r.at("resourcehex").at(0));
    }
}

TEST(SharedVectors, IconGroups) {
    for (const Record& r : readVectors("icons.txt")) {
        std::string error;
        const auto icon =
            readIconFile(fileBytes(r, "iconfile"), static_cast<std::uint16_t>(std::stoi(r.at("firstid").at(0))), error);
        ASSERT_TRUE(icon) << error;
        EXPECT_EQ(hexOf(icon->group), r.at("grouphex").at(0));
        EXPECT_EQ(icon->images.size(), std::stoul(r.at("images").at(0)));
    }
}

TEST(SharedVectors, ManifestLevels) {
    for (const Record& r : readVectors("manifests.txt")) {
        const auto manifest = fileBytes(r, "manifestfile");
        const auto result = fileBytes(r, "resultfile");
        const auto changed = withExecutionLevel(std::string(manifest.begin(), manifest.end()), r.at("level").at(0));
        ASSERT_TRUE(changed);
        EXPECT_EQ(*changed, std::string(result.begin(), result.end()));
    }
}

TEST(SharedVectors, ResourceSections) {
    for (const Record& r : readVectors("resource_sections.txt")) {
        ResourceTree tree;
        for (const std::string& line : r.at("resource")) {
            std::istringstream fields(line);
            std::string type, name, language, codePage, hex;
            fields >> type >> name >> language >> codePage >> hex;
            tree[keyOf(type)][keyOf(name)][static_cast<std::uint16_t>(std::stoi(language))] =
                ResourceData{bytesOfHex(hex), static_cast<std::uint32_t>(std::stoul(codePage))};
        }
        const auto section = writeResourceTree(tree, static_cast<std::uint32_t>(std::stoul(r.at("rva").at(0))));
        EXPECT_EQ(hexOf(section), r.at("sectionhex").at(0));
    }
}

// The packing's salt and nonce: fresh unless the test variable fixes them,
// and then only when it is well-formed.
TEST(SharedVectors, FixedSaltAndNonceOnlyFromAWellFormedVariable) {
    const std::string salt = "000102030405060708090a0b0c0d0e0f";
    const std::string nonce = "a0a1a2a3a4a5a6a7a8a9aaab";
    const std::wstring textValue = L"[A]\r\nb=c\r\n";
    struct Case {
        const char* name;
        std::optional<std::string> variable;
        bool sealed;
        bool fixed;
    };
    const Case cases[] = {
        {"unset: fresh", std::nullopt, true, false},
        {"56 hex digits", salt + nonce, true, true},
        {"upper case", "000102030405060708090A0B0C0D0E0FA0A1A2A3A4A5A6A7A8A9AAAB", true, true},
        {"one digit short", (salt + nonce).substr(1), false, false},
        {"not hex", salt + "g0a1a2a3a4a5a6a7a8a9aaab", false, false},
        {"empty", "", false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.variable) {
            setenv(kFixedSaltNonceVariable, c.variable->c_str(), 1);
        } else {
            unsetenv(kFixedSaltNonceVariable);
        }
        std::string note;
        std::string error;
        const auto first = sealForPacking(textValue, L"code", note, error);
        const auto second = sealForPacking(textValue, L"code", note, error);
        unsetenv(kFixedSaltNonceVariable);
        EXPECT_EQ(first.has_value(), c.sealed);
        EXPECT_EQ(error.empty(), c.sealed) << error;
        if (!c.sealed) {
            continue;
        }
        EXPECT_EQ(first == second, c.fixed);
        EXPECT_EQ(!note.empty(), c.fixed);
        EXPECT_EQ(hexOf(std::vector<std::uint8_t>(first->begin() + 8, first->begin() + 36)) == salt + nonce, c.fixed);
        EXPECT_EQ(openSealedSettings(*first, L"code").text, textValue);
    }
}

}  // namespace
}  // namespace jlaunch::pack
