// What a Linux launcher file carries after its ELF image, judged on the real
// launcher: settings only whole and last; anything changed after packing is
// damaged, never "nothing embedded".
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>

#include "packer.h"
#include "settings/embedded/sealed_settings.h"
#include "settings/embedded/settings_trailer.h"
#include "test_support.h"

namespace jlaunch {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes launcherBytes() {
    std::ifstream file(JLAUNCH_LINUX_LAUNCHER, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

TrailerCheck examine(const Bytes& file, TrailerPlace& place) {
    return examineLauncherFile(
        [&file](std::uint64_t offset, std::size_t count, void* out) {
            if (offset > file.size() || count > file.size() - offset) return false;
            std::copy_n(file.begin() + static_cast<std::ptrdiff_t>(offset), count, static_cast<std::uint8_t*>(out));
            return true;
        },
        file.size(), place);
}

TEST(CarriedSettings, OnlyAWholeTrailerAtTheEndIsFound) {
    const Bytes image = launcherBytes();
    ASSERT_GT(image.size(), 4096u);
    const auto sealed = sealSettingsText(L"[A]\r\nk=v\r\n", L"code");
    ASSERT_TRUE(sealed);
    const Bytes jar = {'P', 'K', 3, 4, 'j', 'a', 'r', ' ', 'b', 'y', 't', 'e', 's'};
    const auto join = [](std::initializer_list<Bytes> parts) {
        Bytes all;
        for (const Bytes& p : parts) all.insert(all.end(), p.begin(), p.end());
        return all;
    };
    const Bytes footer = trailerFooter(sealed->size());
    const Bytes packed = join({image, *sealed, footer});
    const Bytes packedWithJar = join({image, jar, *sealed, footer});
    const auto cut = [](Bytes b, std::size_t n) {
        b.resize(b.size() - n);
        return b;
    };
    const auto flipped = [](Bytes b, std::size_t fromEnd) {
        b[b.size() - fromEnd] ^= 0x20;
        return b;
    };
    struct Case {
        const char* what;
        Bytes file;
        TrailerCheck check;
        std::uint64_t envelopeAt = 0;
    };
    const Case cases[] = {
        {"the plain launcher", image, TrailerCheck::None},
        {"a jar appended to the plain launcher", join({image, jar}), TrailerCheck::None},
        {"packed", packed, TrailerCheck::Found, image.size()},
        {"packed with a jar before the settings", packedWithJar, TrailerCheck::Found, image.size() + jar.size()},
        {"one byte appended", join({packed, {0}}), TrailerCheck::Damaged},
        {"a jar appended after packing", join({packed, jar}), TrailerCheck::Damaged},
        {"a byte appended after packing with a jar", join({packedWithJar, {'x'}}), TrailerCheck::Damaged},
        {"the mark damaged", flipped(packed, 1), TrailerCheck::Damaged},
        {"the length damaged", flipped(packed, 20), TrailerCheck::Damaged},
        {"cut by 1", cut(packed, 1), TrailerCheck::Damaged},
        {"cut by the footer", cut(packed, footer.size()), TrailerCheck::Damaged},
        {"cut by 100", cut(packed, 100), TrailerCheck::Damaged},
        {"cut by 440 (into the image)", cut(packed, 440), TrailerCheck::Damaged},
        {"the plain launcher cut by 1", cut(image, 1), TrailerCheck::Damaged},
        {"a footer that claims the image", join({image, trailerFooter(image.size())}), TrailerCheck::Damaged},
        {"not an ELF file", Bytes(200, 'x'), TrailerCheck::Damaged},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TrailerPlace place;
        EXPECT_EQ(examine(c.file, place), c.check);
        if (c.check == TrailerCheck::Found) {
            EXPECT_EQ(place.offset, c.envelopeAt);
            EXPECT_EQ(place.size, sealed->size());
        }
    }
}

// jlaunch-pack --jar puts the jar between the image and the settings, where
// the launcher still finds them last and Java finds the jar's directory.
TEST(CarriedSettings, ThePackerPutsAJarBeforeTheSettings) {
    const jlaunch::testing::TestFolder scratch;
    const std::filesystem::path& folder = scratch.path();
    const auto write = [&folder](const char* name, const std::string& bytes) {
        std::ofstream(folder / name, std::ios::binary) << bytes;
        return (folder / name).wstring();
    };
    // The smallest zip: a local header's signature, then an empty central directory's end.
    const std::string zip = std::string("PK\3\4", 4) + std::string("PK\5\6", 4) + std::string(18, '\0');
    const std::wstring jar = write("app.jar", zip);
    const std::wstring notJar = write("text.jar", "just text, no zip directory at its end");
    const std::wstring ini = write("app.ini", "[Product Information]\nUpgrade Code=C\n");
    const std::wstring launcher = std::filesystem::path(JLAUNCH_LINUX_LAUNCHER).wstring();
    const std::wstring out = (folder / "app").wstring();
    const auto bytesOf = [](const std::wstring& path) {
        std::ifstream file(std::filesystem::path(path), std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    };
    struct Case {
        std::vector<std::wstring> extra;
        int exitCode;
        std::string message;
    };
    const Case cases[] = {
        {{L"--jar", notJar}, 1, "not a jar"},
        {{L"--jar", out + L".missing"}, 1, "cannot read"},
        {{L"--jar", jar}, 0, ""},
    };
    for (const Case& c : cases) {
        std::vector<std::wstring> arguments = {L"--launcher", launcher, L"--settings", ini, L"--out", out};
        arguments.insert(arguments.end(), c.extra.begin(), c.extra.end());
        std::string printed;
        std::string errors;
        EXPECT_EQ(pack::runPack(arguments, printed, errors), c.exitCode) << errors;
        EXPECT_NE(errors.find(c.message), std::string::npos) << errors;
    }
    const Bytes image = launcherBytes();
    const Bytes packed = bytesOf(out);
    TrailerPlace place;
    ASSERT_EQ(examine(packed, place), TrailerCheck::Found);
    EXPECT_EQ(place.offset, image.size() + zip.size());
    EXPECT_TRUE(std::equal(zip.begin(), zip.end(), packed.begin() + static_cast<std::ptrdiff_t>(image.size())));
    // Packing it again without --jar drops the jar with the old settings.
    std::string printed;
    std::string errors;
    ASSERT_EQ(pack::runPack({L"--launcher", out, L"--settings", ini, L"--out", out + L"2"}, printed, errors), 0);
    ASSERT_EQ(examine(bytesOf(out + L"2"), place), TrailerCheck::Found);
    EXPECT_EQ(place.offset, image.size());
}

}  // namespace
}  // namespace jlaunch
