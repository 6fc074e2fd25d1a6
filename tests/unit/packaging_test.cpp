// The pieces of single-file packaging: the envelope of the embedded settings,
// the Linux trailer, and jlaunch-pack's checks of its inputs, its resource
// tree and version writer, and its refusals through runPack.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <fstream>
#include <sstream>

#include "icon_file.h"
#include "pack_inputs.h"
#include "packer.h"
#include "resource_tree.h"
#include "settings/embedded/embedded_settings.h"
#include "settings/ini_text.h"
#include "settings/embedded/sealed_settings.h"
#include "settings/embedded/settings_trailer.h"
#include "common/utf8_text.h"
#include "version_info.h"
#include "test_support.h"

namespace jlaunch {
namespace {

namespace fs = std::filesystem;

std::vector<std::uint8_t> bytesOf(std::string_view text) {
    return {text.begin(), text.end()};
}

TEST(SealedSettings, RoundTripKeepsTheTextAndNeedsTheSameCode) {
    const std::wstring text = L"[Application]\r\nCmd=\u00e9\u4e2d \U0001F600\r\n";
    for (const std::wstring code : {L"{GUID-1}", L"\u00dcbung \u4e2d"}) {
        const auto sealed = sealSettingsText(text, code);
        ASSERT_TRUE(sealed);
        const OpenedSettings opened = openSealedSettings(*sealed, code);
        EXPECT_EQ(opened.status, SealedStatus::Opened);
        EXPECT_EQ(opened.text, text);
        EXPECT_EQ(openSealedSettings(*sealed, code + L" ").status, SealedStatus::NotAuthentic);
    }
    // A fresh salt and nonce each time: two sealings never look alike.
    EXPECT_NE(sealSettingsText(text, L"c"), sealSettingsText(text, L"c"));
}

TEST(Utf8Text, RoundTripAndMalformedInput) {
    const std::wstring text = L"a\u00e9\u4e2d\U0001F600";
    EXPECT_EQ(toUtf8(text), "a\xC3\xA9\xE4\xB8\xAD\xF0\x9F\x98\x80");
    EXPECT_EQ(fromUtf8(toUtf8(text)), text);
    EXPECT_EQ(fromUtf8(""), std::wstring());
    for (const std::string bad : {"\xC3", "\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\x80", "\xFF"}) {
        EXPECT_FALSE(fromUtf8(bad)) << "accepted a malformed sequence";
    }
}

TEST(SealedSettings, EveryAlterationOrCutIsRefusedAndNothingIsReturned) {
    const auto sealed = sealSettingsText(L"[A]\r\nk=v\r\n", L"code");
    ASSERT_TRUE(sealed);
    struct Case {
        const char* what;
        std::function<void(std::vector<std::uint8_t>&)> change;
        SealedStatus status;
    };
    const auto flip = [](std::size_t at) { return [at](std::vector<std::uint8_t>& b) { b[at] ^= 0x01; }; };
    const Case cases[] = {
        {"mark", flip(0), SealedStatus::Malformed},
        {"iteration count", flip(4), SealedStatus::NotAuthentic},
        {"salt", flip(8), SealedStatus::NotAuthentic},
        {"nonce", flip(24), SealedStatus::NotAuthentic},
        {"ciphertext", flip(36), SealedStatus::NotAuthentic},
        {"tag", [](std::vector<std::uint8_t>& b) { b.back() ^= 0x80; }, SealedStatus::NotAuthentic},
        {"one byte cut", [](std::vector<std::uint8_t>& b) { b.pop_back(); }, SealedStatus::NotAuthentic},
        {"cut below the minimum", [](std::vector<std::uint8_t>& b) { b.resize(kSealedMinimumSize - 1); },
         SealedStatus::Malformed},
        {"empty", [](std::vector<std::uint8_t>& b) { b.clear(); }, SealedStatus::Malformed},
        {"zero iterations", [](std::vector<std::uint8_t>& b) { std::fill(b.begin() + 4, b.begin() + 8, 0); },
         SealedStatus::Malformed},
        {"too many iterations (would stall the launch)",
         [](std::vector<std::uint8_t>& b) { std::fill(b.begin() + 4, b.begin() + 8, 0xFF); }, SealedStatus::Malformed},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<std::uint8_t> changed = *sealed;
        c.change(changed);
        const OpenedSettings opened = openSealedSettings(changed, L"code");
        EXPECT_EQ(opened.status, c.status);
        EXPECT_TRUE(opened.text.empty());
    }
}

TEST(EmbeddedSettings, CarriedBytesBecomeTheStatusTheLauncherReports) {
    const auto sealed = sealSettingsText(L"[A]\r\nk=v\r\n", L"code");
    ASSERT_TRUE(sealed);
    struct Case {
        CarriedBytes carried;
        std::wstring code;
        EmbeddedStatus status;
    };
    const Case cases[] = {
        {{false, false, {}}, L"", EmbeddedStatus::None},
        {{false, false, {}}, L"code", EmbeddedStatus::None},
        {{true, true, {}}, L"code", EmbeddedStatus::Damaged},
        {{true, false, *sealed}, L"", EmbeddedStatus::CodeMissing},
        {{true, false, *sealed}, L"other", EmbeddedStatus::NotAuthentic},
        {{true, false, bytesOf("not an envelope at all, but long enough to be one........")},
         L"code",
         EmbeddedStatus::Damaged},
        {{true, false, *sealed}, L"code", EmbeddedStatus::Opened},
    };
    for (const Case& c : cases) {
        const EmbeddedText text = openEmbeddedSettings(c.carried, c.code);
        EXPECT_EQ(text.status, c.status);
        EXPECT_EQ(text.text, c.status == EmbeddedStatus::Opened ? L"[A]\r\nk=v\r\n" : L"");
    }
}

TEST(SettingsTrailer, FooterIsFoundOnlyWhenMarkAndLengthFit) {
    const auto footer = trailerFooter(100);
    TrailerPlace place;
    EXPECT_EQ(findTrailer(footer, 1000, place), TrailerCheck::Found);
    EXPECT_EQ(place.offset, 1000u - 24 - 100);
    EXPECT_EQ(place.size, 100u);
    EXPECT_EQ(findTrailer(footer, 124, place), TrailerCheck::Found);
    EXPECT_EQ(findTrailer(footer, 123, place), TrailerCheck::Damaged) << "longer than the file";
    EXPECT_EQ(findTrailer(trailerFooter(kSealedMaximumSize + 1), 1u << 30, place), TrailerCheck::Damaged);
    auto unmarked = footer;
    unmarked.back() = 'X';
    EXPECT_EQ(findTrailer(unmarked, 1000, place), TrailerCheck::None);
    EXPECT_EQ(findTrailer(std::span(footer).first(23), 1000, place), TrailerCheck::None);
}

TEST(PackSettings, IniTextIsCheckedLineByLineAndEndsInCrLf) {
    struct Case {
        std::string bytes;
        std::string error;  // empty: accepted
    };
    const std::string code = "[Product Information]\nUpgrade Code=X\n";
    const Case cases[] = {
        {code + "; comment\n# comment\n\n[A]\nk = v\n", ""},
        {"\xEF\xBB\xBF" + code, ""},
        {"", "empty"},
        {"k=v\n" + code, "line 1: a key before any section"},
        {code + "[A\n", "line 3: a section header without"},
        {code + "just words\n", "line 3: neither a section header"},
        {code + std::string("k=v\0w\n", 6), "not text"},
        {std::string("\xFF\xFE[\0A\0]\0\n\0\x00\xD8=\0", 14), "not text"},  // an unpaired surrogate in UTF-16
        {"; nothing\n", "no section"},
        {"[Product Information]\nProduct Name=X\n", "no \"Upgrade Code\""},
        {"[Product Information]\nUpgrade Code=\n", "no \"Upgrade Code\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bytes);
        std::string error;
        const auto settings = pack::readPackSettings(bytesOf(c.bytes), error);
        if (c.error.empty()) {
            ASSERT_TRUE(settings) << error;
            EXPECT_EQ(settings->upgradeCode, L"X");
            EXPECT_EQ(settings->text.find(L'\n'), settings->text.find(L"\r\n") + 1) << "every line ends in CR LF";
            EXPECT_EQ(parseIniText(settings->text).sections().front().name, L"Product Information");
        } else {
            EXPECT_FALSE(settings);
            EXPECT_NE(error.find(c.error), std::string::npos) << error;
        }
    }
}

TEST(PackOptions, CommandLineTable) {
    using Args = std::vector<std::wstring>;
    const Args base = {L"--launcher", L"l", L"--settings", L"s.ini", L"--out", L"o"};
    const auto with = [&base](Args more) {
        Args all = base;
        all.insert(all.end(), more.begin(), more.end());
        return all;
    };
    struct Case {
        Args arguments;
        std::string error;
    };
    const Case cases[] = {
        {base, ""},
        {with({L"--execution-level", L"requireAdministrator", L"--version", L"1.2"}), ""},
        {{L"--settings", L"s.ini", L"--out", L"o"}, "--launcher is required"},
        {{L"--launcher", L"l", L"--out", L"o"}, "--settings is required"},
        {{L"--launcher", L"l", L"--settings", L"s"}, "--out is required"},
        {with({L"--bogus"}), "unknown argument --bogus"},
        {with({L"--out", L"p"}), "--out given twice"},
        {with({L"--icon"}), "--icon needs a value"},
        {with({L"--name", L""}), "--name needs a value"},
        {with({L"--execution-level", L"admin"}), "--execution-level must be"},
        {{L"--check", L"s.ini"}, ""},
        {{L"--check", L"s.ini", L"--out", L"o"}, "--check takes no other option"},
    };
    for (const Case& c : cases) {
        std::string error;
        const auto options = pack::parsePackOptions(c.arguments, error);
        EXPECT_EQ(options.has_value(), c.error.empty()) << error;
        EXPECT_NE(error.find(c.error), std::string::npos) << error;
    }
}

TEST(PackVersion, NumbersParseAndTheResourceCarriesThem) {
    using pack::VersionNumbers;
    const std::pair<std::u16string, std::optional<VersionNumbers>> cases[] = {
        {u"1.2.3.4", VersionNumbers{1, 2, 3, 4}},
        {u"7", VersionNumbers{7, 0, 0, 0}},
        {u"65535.0", VersionNumbers{65535, 0, 0, 0}},
        {u"65536", std::nullopt},
        {u"1.2.3.4.5", std::nullopt},
        {u"1..2", std::nullopt},
        {u"", std::nullopt},
        {u"1.2a", std::nullopt},
        {u"v1", std::nullopt},
        {u"1.", std::nullopt},
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(pack::parseVersionNumbers(text), expected);
    }
    const auto built = pack::buildVersionResource({{2, 5, 0, 17}, {{u"ProductName", u"X"}}});
    ASSERT_TRUE(built);
    const std::vector<std::uint8_t>& resource = *built;
    EXPECT_EQ(pack::fileVersionOf(resource), (VersionNumbers{2, 5, 0, 17}));
    EXPECT_EQ(resource[0] | (resource[1] << 8), static_cast<int>(resource.size())) << "the root's length";
    EXPECT_FALSE(pack::fileVersionOf(bytesOf("short")));
}

std::string icoHeader(std::uint16_t count) {
    return std::string("\0\0\1\0", 4) + static_cast<char>(count) + '\0';
}

std::string icoEntry(std::uint32_t size, std::uint32_t offset) {
    std::string entry = std::string("\x10\x10\0\0\1\0\x20\0", 8);
    for (std::uint32_t v : {size, offset}) {
        for (int i = 0; i < 4; ++i) entry.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
    }
    return entry;
}

TEST(PackIcon, IconFilesAreCheckedImageByImage) {
    const std::string bitmap = std::string("\x28\0\0\0", 4) + std::string(60, '\1');
    const std::string png = std::string("\x89PNG\r\n\x1a\n", 8) + std::string(20, '\2');
    struct Case {
        std::string file;
        std::string error;
    };
    const Case cases[] = {
        {icoHeader(2) + icoEntry(64, 38) + icoEntry(28, 102) + bitmap + png, ""},
        {"GIF89a" + std::string(40, '\0'), "not an icon file"},
        {icoHeader(0), "no images"},
        {icoHeader(2) + icoEntry(64, 38), "cut short"},
        {icoHeader(1) + icoEntry(64, 22) + bitmap.substr(0, 10), "lies outside the file"},
        {icoHeader(1) + icoEntry(28, 22) + std::string(28, 'x'), "neither a PNG nor a bitmap"},
    };
    for (const Case& c : cases) {
        std::string error;
        const auto icon = pack::readIconFile(bytesOf(c.file), 5, error);
        ASSERT_EQ(icon.has_value(), c.error.empty()) << error;
        EXPECT_NE(error.find(c.error), std::string::npos) << error;
        if (icon) {
            ASSERT_EQ(icon->images.size(), 2u);
            EXPECT_EQ(icon->images[1], bytesOf(png));
            ASSERT_EQ(icon->group.size(), 6u + 2 * 14);
            EXPECT_EQ(icon->group[6 + 12], 5) << "first image id";
            EXPECT_EQ(icon->group[6 + 14 + 12], 6);
        }
    }
}

class FlatImage final : public pack::ImageBytes {
public:
    FlatImage(std::span<const std::uint8_t> bytes, std::uint32_t rva) : bytes_(bytes), rva_(rva) {}
    std::optional<std::span<const std::uint8_t>> atRva(std::uint32_t rva, std::uint32_t size) const override {
        if (rva < rva_ || rva - rva_ + std::uint64_t{size} > bytes_.size()) return std::nullopt;
        return bytes_.subspan(rva - rva_, size);
    }

private:
    std::span<const std::uint8_t> bytes_;
    std::uint32_t rva_;
};

TEST(PackResources, TreeWrittenAtAnAddressReadsBackTheSame) {
    using pack::ResourceKey;
    pack::ResourceTree tree;
    tree[ResourceKey::number(10)][ResourceKey::text(u"JLAUNCH_SETTINGS")][0] = {bytesOf("abc"), 0};
    tree[ResourceKey::number(10)][ResourceKey::text(u"A")][0] = {bytesOf("a"), 0};
    tree[ResourceKey::number(10)][ResourceKey::number(3)][1033] = {bytesOf("xyz12345678"), 1252};
    tree[ResourceKey::text(u"MYTYPE")][ResourceKey::number(1)][1031] = {{}, 0};
    tree[ResourceKey::number(6)][ResourceKey::number(13)][1031] = {bytesOf("de"), 0};
    tree[ResourceKey::number(6)][ResourceKey::number(13)][1033] = {bytesOf("en"), 0};
    const auto section = pack::writeResourceTree(tree, 0x71000);
    const FlatImage image(section, 0x71000);
    EXPECT_EQ(pack::readResourceTree(section, image, section.size()), tree);
    // Named entries come first, in code-unit order, as the loader's search expects.
    EXPECT_LT(ResourceKey::text(u"Z"), ResourceKey::number(0));
    EXPECT_LT(ResourceKey::text(u"A"), ResourceKey::text(u"B"));
    // A cut directory is refused, not read past its end.
    for (std::size_t size : {0u, 8u, 20u}) {
        EXPECT_FALSE(pack::readResourceTree(std::span(section).first(size), image, section.size()));
    }
}

// jlaunch-pack on real files: each bad input is refused with its reason, and
// nothing is left behind.
TEST(PackTool, RefusalsLeaveNoFileBehind) {
    const jlaunch::testing::TestFolder scratch;
    const fs::path& folder = scratch.path();
    const auto write = [&folder](const char* name, const std::string& bytes) {
        std::ofstream(folder / name, std::ios::binary) << bytes;
        return (folder / name).wstring();
    };
    const std::wstring launcher = (folder / "jlaunch").wstring();
    fs::copy_file(JLAUNCH_LINUX_LAUNCHER, launcher);
    const std::wstring good = write("good.ini", "[Product Information]\nUpgrade Code=C\nProduct Name=Prod\n[A]\nk=v\n");
    const std::wstring bad = write("bad.ini", "[Product Information]\nUpgrade Code=C\nwords\n");
    const std::wstring noCode = write("nocode.ini", "[A]\nk=v\n");
    const std::wstring clean = write("clean.ini", "[Java Runtime Environment]\nMain Class=A\nMinimum Version=17\n");
    const std::wstring misspelt =
        write("misspelt.ini",
              "[Java Runtime Environment]\nMain Class=A\nMinimum Version=26\nMaximum Version=17\n"
              "[Aplication]\nCmd=x\n[Application]\nRestart Code=1.5\n");
    const std::wstring notIcon = write("not.ico", "GIF89a............");
    const std::wstring text = write("text.exe", "MZ but not a PE at all, not even close to one of those");
    const std::wstring self = fs::read_symlink("/proc/self/exe").wstring();  // an ELF file, not ours
    const std::wstring out = (folder / "out").wstring();
    struct Case {
        const char* what;
        std::vector<std::wstring> arguments;
        int exitCode;
        std::string message;
    };
    const Case cases[] = {
        {"INI that does not parse", {L"--launcher", launcher, L"--settings", bad, L"--out", out}, 1, "line 3"},
        {"INI without code", {L"--launcher", launcher, L"--settings", noCode, L"--out", out}, 1, "Upgrade Code"},
        {"icon that is not one",
         {L"--launcher", launcher, L"--settings", good, L"--out", out, L"--icon", notIcon},
         1,
         "not an icon file"},
        {"launcher that is not ours", {L"--launcher", self, L"--settings", good, L"--out", out}, 1, "not a jlaunch"},
        {"not an executable", {L"--launcher", text, L"--settings", good, L"--out", out}, 1, "not a launcher"},
        {"output is the launcher",
         {L"--launcher", launcher, L"--settings", good, L"--out", (folder / "." / "jlaunch").wstring()},
         1,
         "the output is the launcher itself"},
        {"output is the settings", {L"--launcher", launcher, L"--settings", good, L"--out", good}, 1, "overwrite"},
        {"missing launcher", {L"--launcher", out + L"x", L"--settings", good, L"--out", out}, 1, "cannot read"},
        {"bad command line", {L"--launcher", launcher, L"--out", out}, 2, "--settings is required"},
        {"check: a file without problems", {L"--check", clean}, 0, ""},
        {"check: a section misspelt",
         {L"--check", misspelt},
         1,
         "unknown section [Aplication] is not read; did you mean [Application]?"},
        {"check: an empty range", {L"--check", misspelt}, 1, "launcher stops: no Java version is accepted"},
        {"check: a restart code that is no number",
         {L"--check", misspelt},
         1,
         "launcher stops: [Application] Restart Code = \"1.5\" is not a whole number from -2147483648 to 2147483647"},
        {"check: a file that does not parse", {L"--check", bad}, 1, "line 3"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::string printed;
        std::string errors;
        EXPECT_EQ(pack::runPack(c.arguments, printed, errors), c.exitCode);
        EXPECT_NE(errors.find(c.message), std::string::npos) << errors;
        EXPECT_FALSE(fs::exists(out));
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 8)
        << "a temporary file was left behind";

    std::string printed;
    std::string errors;
    ASSERT_EQ(pack::runPack({L"--launcher", launcher, L"--settings", good, L"--out", out, L"--icon", L"x.ico"}, printed,
                            errors),
              1)
        << "a missing icon is refused for a Linux launcher too";
    ASSERT_EQ(pack::runPack({L"--launcher", launcher, L"--settings", good, L"--out", out}, printed, errors), 0)
        << errors;
    // What the launcher reads only from the file beside it, and nothing it does not need there.
    EXPECT_NE(printed.find("Upgrade Code=C\nProduct Name=Prod\n"), std::string::npos) << printed;
    EXPECT_EQ(printed.find("Product Code"), std::string::npos) << printed;
    EXPECT_EQ(fs::status(out).permissions() & fs::perms::owner_exec, fs::perms::owner_exec);
    // Packing a packed launcher replaces its settings instead of stacking them.
    const auto once = fs::file_size(out);
    ASSERT_EQ(pack::runPack({L"--launcher", out, L"--settings", good, L"--out", out + L"2"}, printed, errors), 0)
        << errors;
    EXPECT_EQ(fs::file_size(out + L"2"), once);
}

}  // namespace
}  // namespace jlaunch
