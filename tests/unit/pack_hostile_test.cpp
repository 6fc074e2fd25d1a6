// jlaunch-pack against hostile inputs: PE layouts its writer must refuse,
// resource trees and icons that would multiply memory, version strings that
// cannot fit, and outputs that are not regular files.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>

#include "icon_file.h"
#include "packer.h"
#include "pe_image.h"
#include "resource_tree.h"
#include "version_info.h"
#include "test_support.h"

namespace jlaunch {
namespace {

using Bytes = std::vector<std::uint8_t>;

void put32(Bytes& b, std::size_t at, std::uint32_t v) {
    for (std::size_t i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}
void put16(Bytes& b, std::size_t at, std::uint16_t v) {
    b[at] = static_cast<std::uint8_t>(v);
    b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

// A small PE32+ image: .text, .rsrc holding `tree`, .reloc; headers at
// `headerAt`, resources' raw data at `rsrcRaw`.
struct MiniPe {
    std::uint32_t headerAt = 0x80;
    std::uint32_t rsrcRaw = 0x400;
    pack::ResourceTree tree;

    static constexpr std::uint32_t kRsrcRva = 0x2000;
    static constexpr std::size_t kOptionalSize = 240;

    std::size_t optionalAt() const { return headerAt + 24; }
    std::size_t directory(std::size_t index) const { return optionalAt() + 112 + 8 * index; }

    Bytes build() const {
        const Bytes resources = pack::writeResourceTree(tree, kRsrcRva);
        const std::uint32_t rsrcSize = static_cast<std::uint32_t>((resources.size() + 0x1FF) & ~0x1FFu);
        const std::uint32_t relocRaw = std::max<std::uint32_t>(rsrcRaw + rsrcSize, 0x600);
        const std::size_t tableAt = optionalAt() + kOptionalSize;
        Bytes b(std::max<std::size_t>(relocRaw + 0x200, tableAt + 3 * 40), 0);
        b[0] = 'M';
        b[1] = 'Z';
        put32(b, 0x3C, headerAt);
        put32(b, headerAt, 0x00004550);
        put16(b, headerAt + 4, 0x8664);
        put16(b, headerAt + 6, 3);
        put16(b, headerAt + 20, kOptionalSize);
        const std::size_t o = optionalAt();
        put16(b, o, 0x20B);
        put32(b, o + 32, 0x1000);
        put32(b, o + 36, 0x200);
        put32(b, o + 60, 0x200);
        put16(b, o + 68, 2);
        put32(b, o + 108, 16);
        put32(b, directory(pack::kDirectoryResource), kRsrcRva);
        put32(b, directory(pack::kDirectoryResource) + 4, static_cast<std::uint32_t>(resources.size()));
        put32(b, directory(pack::kDirectoryBaseRelocation), 0x3000 + ((rsrcSize + 0xFFF) & ~0xFFFu) - 0x1000);
        put32(b, directory(pack::kDirectoryBaseRelocation) + 4, 8);
        const auto section = [&](std::size_t i, const char* name, std::uint32_t va, std::uint32_t size, std::uint32_t raw) {
            const std::size_t at = tableAt + 40 * i;
            std::memcpy(&b[at], name, std::strlen(name));
            put32(b, at + 8, size);
            put32(b, at + 12, va);
            put32(b, at + 16, size);
            put32(b, at + 20, raw);
            put32(b, at + 36, 0x40);
        };
        section(0, ".text", 0x1000, 0x200, 0x200);
        section(1, ".rsrc", kRsrcRva, rsrcSize, rsrcRaw);
        section(2, ".reloc", 0x3000 + ((rsrcSize + 0xFFF) & ~0xFFFu) - 0x1000, 0x200, relocRaw);
        if (rsrcRaw >= 0x200) {  // below that the "resources" are the headers themselves
            std::copy(resources.begin(), resources.end(), b.begin() + rsrcRaw);
        }
        return b;
    }
};

pack::ResourceTree smallTree() {
    pack::ResourceTree tree;
    tree[pack::ResourceKey::number(pack::kRtRcData)][pack::ResourceKey::number(1)][0] = {{1, 2, 3}, 0};
    return tree;
}

TEST(PackHostileImages, WriterRefusesEveryLayoutItCannotRewriteWhole) {
    struct Case {
        const char* what;
        std::uint32_t headerAt;
        std::uint32_t rsrcRaw;
        std::function<void(Bytes&, const MiniPe&)> damage;
        std::string error;  // empty: rewritten
    };
    const auto none = [](Bytes&, const MiniPe&) {};
    const Case cases[] = {
        {"well formed", 0x80, 0x400, none, ""},
        {"headers after the resources, covered by a certificate entry",
         0x800,
         0x400,
         [](Bytes& b, const MiniPe& pe) {
             put32(b, pe.directory(pack::kDirectorySecurity), 0x800);
             put32(b, pe.directory(pack::kDirectorySecurity) + 4, static_cast<std::uint32_t>(b.size() - 0x800));
         },
         "does not follow the headers"},
        {"resources' raw data at offset 0", 0x80, 0x0, none, "does not follow the headers"},
        {"resources' raw data not aligned", 0x80, 0x410, none, "does not follow the headers"},
        {"certificate inside the image",
         0x80,
         0x400,
         [](Bytes& b, const MiniPe& pe) {
             put32(b, pe.directory(pack::kDirectorySecurity), 0x300);
             put32(b, pe.directory(pack::kDirectorySecurity) + 4, 0x10);
         },
         "certificate table does not lie after the image"},
        {"certificate past the end",
         0x80,
         0x400,
         [](Bytes& b, const MiniPe& pe) {
             put32(b, pe.directory(pack::kDirectorySecurity), static_cast<std::uint32_t>(b.size()));
             put32(b, pe.directory(pack::kDirectorySecurity) + 4, 0x100);
         },
         "certificate table does not lie after the image"},
        {"a section's raw data after the resources'",
         0x80,
         0x400,
         [](Bytes& b, const MiniPe& pe) { put32(b, pe.optionalAt() + 240 + 20, 0x600); },
         "has raw data after the resources'"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const MiniPe pe{c.headerAt, c.rsrcRaw, smallTree()};
        Bytes bytes = pe.build();
        c.damage(bytes, pe);
        std::string error;
        const auto image = pack::PeImage::parse(bytes, error);
        if (!image) {
            EXPECT_FALSE(c.error.empty()) << "refused while reading: " << error;
            continue;
        }
        const auto out = image->withResources(bytes, pe.tree, error);
        ASSERT_EQ(out.has_value(), c.error.empty()) << error;
        EXPECT_NE(error.find(c.error), std::string::npos) << error;
        if (out) {
            const auto again = pack::PeImage::parse(*out, error);
            ASSERT_TRUE(again) << error;
            EXPECT_EQ(again->resources(), pe.tree);
        }
    }
}

TEST(PackHostileImages, SharedOrOversizedResourceTreesAreMalformed) {
    MiniPe pe{0x80, 0x400, smallTree()};
    const Bytes good = pe.build();
    // The tree's layout: root directory (16 + 8), type directory (16 + 8), name directory (16 + 8), data entry.
    const std::size_t root = pe.rsrcRaw;
    struct Case {
        const char* what;
        std::function<void(Bytes&)> damage;
    };
    const Case cases[] = {
        {"type directory pointing back at the root", [&](Bytes& b) { put32(b, root + 16 + 4, 0x80000000u); }},
        {"name directory pointing at the type directory", [&](Bytes& b) { put32(b, root + 24 + 16 + 4, 0x80000018u); }},
        {"data larger than the file", [&](Bytes& b) { put32(b, root + 72 + 4, 0x7FFFFFFF); }},
    };
    std::string error;
    ASSERT_TRUE(pack::PeImage::parse(good, error)) << error;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Bytes bytes = good;
        c.damage(bytes);
        EXPECT_FALSE(pack::PeImage::parse(bytes, error));
        EXPECT_NE(error.find("malformed resource directory"), std::string::npos) << error;
    }
}

TEST(PackHostileImages, IconsSharingBytesAndOverlongVersionStringsAreRefused) {
    std::string file("\0\0\1\0\2\0", 6);
    for (int i = 0; i < 2; ++i) {  // two entries naming the same 40-byte bitmap
        file += std::string("\x10\x10\0\0\1\0\x20\0", 8) + std::string("\x28\0\0\0", 4) + std::string("\x26\0\0\0", 4);
    }
    file += std::string("\x28\0\0\0", 4) + std::string(36, '\1');
    std::string error;
    EXPECT_FALSE(pack::readIconFile(Bytes(file.begin(), file.end()), 1, error));
    EXPECT_NE(error.find("share bytes"), std::string::npos) << error;

    for (const std::size_t length : {std::size_t{100}, std::size_t{32000}, std::size_t{33000}, std::size_t{70000}}) {
        const auto resource = pack::buildVersionResource({{1, 0, 0, 0}, {{u"ProductName", std::u16string(length, u'x')}}});
        EXPECT_EQ(resource.has_value(), length <= 32000) << length;
        if (resource) {
            EXPECT_EQ((*resource)[0] | ((*resource)[1] << 8), static_cast<int>(resource->size()));
        }
    }
}

// The output must be a regular file or nothing; a FIFO input is refused without waiting for a writer.
TEST(PackHostileFiles, DevicesAndFifosAreNeitherReplacedNorAwaited) {
    const jlaunch::testing::TestFolder scratch;
    const std::filesystem::path& folder = scratch.path();
    std::ofstream(folder / "app.ini") << "[Product Information]\nUpgrade Code=C\n";
    ASSERT_EQ(mkfifo((folder / "fifo").c_str(), 0600), 0);
    std::filesystem::create_directory(folder / "dir");
    const std::wstring launcher = std::filesystem::path(JLAUNCH_LINUX_LAUNCHER).wstring();
    const std::wstring ini = (folder / "app.ini").wstring();
    const std::wstring fifo = (folder / "fifo").wstring();
    const auto toNarrowPath = [](const std::wstring& w) { return std::filesystem::path(w).string(); };
    struct Case {
        std::vector<std::wstring> arguments;
        std::string message;
    };
    const Case cases[] = {
        {{L"--launcher", launcher, L"--settings", ini, L"--out", L"/dev/null"}, "is not a regular file"},
        {{L"--launcher", launcher, L"--settings", ini, L"--out", fifo}, "is not a regular file"},
        {{L"--launcher", launcher, L"--settings", ini, L"--out", (folder / "dir").wstring()}, "is not a regular file"},
        {{L"--launcher", fifo, L"--settings", ini, L"--out", (folder / "o").wstring()}, "is not a regular file"},
        {{L"--launcher", launcher, L"--settings", fifo, L"--out", (folder / "o").wstring()}, "is not a regular file"},
        {{L"--launcher", launcher, L"--settings", ini, L"--out", (folder / "o").wstring(), L"--icon", fifo},
         "is not a regular file"},
    };
    for (const Case& c : cases) {
        std::string out;
        std::string errors;
        EXPECT_EQ(pack::runPack(c.arguments, out, errors), 1);
        EXPECT_NE(errors.find(c.message), std::string::npos) << errors;
        EXPECT_EQ(out.find("Packed"), std::string::npos);
    }
    struct stat info {};
    ASSERT_EQ(stat("/dev/null", &info), 0);
    EXPECT_TRUE(S_ISCHR(info.st_mode));
    ASSERT_EQ(lstat(toNarrowPath(fifo).c_str(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));
}

}  // namespace
}  // namespace jlaunch
