// The splash step's decisions: which splash a launch shows, where the
// runtime's library is looked for, and what size a picture's header states.
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>

#include "../support/splash_pictures.h"
#include "splash/jar_splash.h"
#include "splash/native_splash.h"
#include "splash/picture_size.h"
#include "splash/splash_choice.h"
#include "common/text.h"
#include "test_support.h"

namespace jlaunch {
namespace {

std::string describe(SplashKind kind) {
    return kind == SplashKind::Native ? "native" : kind == SplashKind::OwnWindow ? "own window" : "none";
}

TEST(SplashChoice, ArgumentsSettingsAndRuntimeDecideWhichSplashIsShown) {
    const SplashHost windows{true, true}, linuxDisplay{false, true}, linuxHeadless{false, false};
    struct Case {
        std::vector<std::wstring> arguments;
        const wchar_t* image;
        const wchar_t* shadow;
        const wchar_t* prefer;
        bool libraryFound;
        bool nativeStarts;
        SplashHost host;
        const char* expected;
    };
    const Case cases[] = {
        {{}, L"a.png", L"true", L"", true, true, windows, "own window, shadow"},
        {{}, L"a.png", L"True", L"No", true, true, windows, "own window"},
        {{}, L"a.png", L"yes", L"YES", true, true, windows, "native"},
        {{}, L"a.png", L"", L"yes", false, true, windows, "own window"},
        {{}, L"a.png", L"", L"Yes", true, false, windows, "own window after native failed"},
        {{}, L"a.png", L" true", L"Yes ", true, true, windows, "own window"},
        {{}, L"", L"true", L"Yes", true, true, windows, "none"},
        {{L"x", L"-nosplash"}, L"a.png", L"", L"", false, true, windows, "none"},
        {{L"/nosplash", L"y"}, L"a.png", L"", L"Yes", true, true, windows, "none"},
        {{L"-NOSPLASH", L"/nosplash "}, L"a.png", L"", L"", false, true, windows, "own window"},
        {{}, L"a.png", L"", L"", true, true, linuxDisplay, "native"},
        {{}, L"a.png", L"", L"No", true, false, linuxDisplay, "none after native failed"},
        {{}, L"a.png", L"", L"Yes", false, true, linuxDisplay, "none"},
        {{}, L"a.png", L"", L"Yes", true, true, linuxHeadless, "none"},
    };
    for (const Case& c : cases) {
        std::string got = "none";
        if (!hasNoSplashSwitch(c.arguments)) {
            const SplashRequest request = parseSplashSettings(c.image, c.shadow, c.prefer);
            const SplashKind kind = chooseSplash(request, c.libraryFound, c.host);
            got = kind == SplashKind::Native && !c.nativeStarts
                      ? describe(splashFallback(request, c.host)) + " after native failed"
                      : describe(kind) + (kind == SplashKind::OwnWindow && request.splashShadow ? ", shadow" : "");
        }
        EXPECT_EQ(got, c.expected) << "image \"" << toNarrow(c.image) << "\", shadow \"" << toNarrow(c.shadow)
                                   << "\", prefer \"" << toNarrow(c.prefer) << "\", library " << c.libraryFound
                                   << ", starts " << c.nativeStarts;
    }
}

TEST(SplashChoice, RuntimeLibraryIsLookedForTwoFoldersAboveTheVmLibrary) {
    const testing::TestFolder home;
    const std::wstring jvm = home.write("lib/server/libjvm.so").wstring();
    const std::wstring library = home.write("lib/libsplashscreen.so").wstring();
    EXPECT_EQ(findRuntimeFile(jvm, L"libsplashscreen.so"), library);
    EXPECT_EQ(findRuntimeFile(jvm, L"missing.so"), L"");
    EXPECT_EQ(findRuntimeFile(L"/libjvm.so", L"lib"), L"");
    EXPECT_EQ(findRuntimeFile(L"", L"libsplashscreen.so"), L"");
}

// A GIF of `frames` frames on a canvas of width x height, each frame a tiny
// image with a graphic control extension before it.
std::string animatedGif(std::uint16_t width, std::uint16_t height, std::uint32_t frames) {
    const auto u16 = [](std::uint16_t v) {
        return std::string{static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)};
    };
    std::string gif = "GIF89a" + u16(width) + u16(height) + std::string("\x80\0\0", 3) + std::string(6, '\0');
    for (std::uint32_t i = 0; i < frames; ++i) {
        gif += std::string("\x21\xF9\x04\x04\x0A\0\0\0", 8);
        gif += "\x2C" + u16(0) + u16(0) + u16(1) + u16(1) + std::string("\0\x02\x02\x4C\x01\0", 6);
    }
    return gif + "\x3B";
}

TEST(PictureSize, AnimationsAreCountedAndOnlyRegularFilesAreAccepted) {
    jlaunch::testing::TestFolder folder;
    struct Case {
        const char* what;
        std::string bytes;
        std::optional<std::uint32_t> frames;
        bool accepted;
    };
    const Case cases[] = {
        {"one frame", animatedGif(601, 301, 1), 1, true},
        {"one frame on the largest canvas", animatedGif(8192, 8192, 1), 1, true},
        {"60 small frames", animatedGif(600, 300, 60), 60, true},
        {"100 frames of 2000 x 2000", animatedGif(2000, 2000, 100), 100, false},
        {"1001 frames of one pixel", animatedGif(1, 1, 1001), 1001, false},
        {"a cut animation counts what is there", animatedGif(10, 10, 5).substr(0, animatedGif(10, 10, 5).size() - 4), 5,
         true},
        {"a PNG has no frames to count", std::string("\x89PNG\r\n\x1A\n\0\0\0\x0DIHDR\0\0\0\x10\0\0\0\x10\x08\x06", 26),
         std::nullopt, true},
        {"a PNG too large", std::string("\x89PNG\r\n\x1A\n\0\0\0\x0DIHDR\0\0\x40\0\0\0\x40\0\x08\x06", 26),
         std::nullopt, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const FileReader file(folder.write("picture", c.bytes).wstring());
        EXPECT_EQ(gifFrameCount(file, kMaxPictureFrames), c.frames);
        EXPECT_EQ(isAcceptablePicture(file), c.accepted);
    }
    // A FIFO is neither opened for reading nor waited on.
    const std::filesystem::path fifo = folder.path() / "fifo.gif";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_FALSE(isAcceptablePicture(FileReader(fifo.wstring())));
}

TEST(PictureSize, HeadersOfTheCommonFormatsStateTheSizeBeforeDecoding) {
    const std::string jfif = std::string("\xFF\xD8\xFF\xE0\x00\x10JFIF\0\x01\x01\0\0\1\0\1\0\0\xFF", 21);
    const std::string frame = std::string("\xFF\xC2\x00\x11\x08\x00\x64\x00\xC8\x03", 10) + std::string(15, '\0');
    const std::string scan = std::string("\xFF\xDA\x00\x08", 4) + std::string(8, '\0');
    std::string topDown = splash_test::bmpFile(4, 3);
    topDown.replace(22, 4, std::string("\xFD\xFF\xFF\xFF", 4));
    const struct {
        const char* name;
        std::string bytes;
        const char* expected;
    } cases[] = {
        {"png", splash_test::pngFile(3, 2), "3x2"},
        {"png cut in its header", splash_test::pngFile(3, 2).substr(0, 20), "none"},
        {"gif", std::string("GIF89a\x05\0\x07\0", 10) + std::string(20, '\0'), "5x7"},
        {"bmp", splash_test::bmpFile(4, 3), "4x3"},
        {"bmp top-down", topDown, "4x3"},
        {"bmp os/2", std::string("BM\0\0\0\0\0\0\0\0\0\0\0\0\x0C\0\0\0\x09\0\x02\0", 22) + std::string(4, '\0'), "9x2"},
        {"bmp of 30000 x 30000 in a few bytes", splash_test::bmpFile(30000, 30000, true), "30000x30000"},
        {"jpeg with fill bytes before its frame", jfif + frame.substr(0), "200x100"},
        {"jpeg whose scan comes first", jfif + scan.substr(1) + frame, "none"},
        {"jpeg cut after its start", "\xFF\xD8\xFF", "none"},
        {"text", "not a picture at all, just some words", "none"},
        {"empty", "", "none"},
    };
    const testing::TestFolder folder;
    for (const auto& c : cases) {
        const auto size = pictureSize(FileReader(folder.write(c.name, c.bytes).wstring()));
        EXPECT_EQ(size ? std::to_string(size->width) + "x" + std::to_string(size->height) : "none", c.expected)
            << c.name;
    }
    EXPECT_FALSE(pictureSize(FileReader(folder.wide())).has_value()) << "a folder";
    EXPECT_TRUE(isDrawablePictureSize(1, 1) && isDrawablePictureSize(8192, 8192));
    EXPECT_FALSE(isDrawablePictureSize(0, 5) || isDrawablePictureSize(8193, 1) || isDrawablePictureSize(1, 30000));
}

// An executable jar's own splash picture, read from the jar as the zip it is
// (made here by Python's zipfile, stored or deflated): the manifest's main
// section names it; anything else gives none.
TEST(JarSplash, ThePictureTheManifestNamesIsReadFromTheJar) {
    std::string picture = "\x89PNG\r\n\x1a\n";
    for (int i = 0; i < 400; ++i) picture += "row " + std::to_string(i % 37) + " \xff\x01 ";
    const std::string manifest = "Manifest-Version: 1.0\r\nSplashScreen-Image: images/splash.png\r\n\r\n";
    struct Case {
        const char* name;
        const char* method;
        std::string comment;
        std::vector<std::string> entries;  // name, text, ...
        bool found;
    };
    const Case cases[] = {
        {"deflated", "deflated", "", {"META-INF/MANIFEST.MF", manifest, "images/splash.png", picture}, true},
        {"stored", "stored", "", {"META-INF/MANIFEST.MF", manifest, "images/splash.png", picture}, true},
        {"after an archive comment that holds a false end record",
         "deflated",
         "PK\x05\x06 not the end",
         {"images/splash.png", picture, "META-INF/MANIFEST.MF", manifest},
         true},
        {"name continued on a second line, LF line ends, any letter case",
         "deflated",
         "",
         {"META-INF/MANIFEST.MF", "Main-Class: A\nsplashscreen-image: images/spl\n ash.png\n", "images/splash.png",
          picture},
         true},
        {"only in a named section",
         "deflated",
         "",
         {"META-INF/MANIFEST.MF", "Manifest-Version: 1.0\n\nName: x\nSplashScreen-Image: images/splash.png\n",
          "images/splash.png", picture},
         false},
        {"no such entry", "deflated", "", {"META-INF/MANIFEST.MF", manifest}, false},
        {"a path outside the jar",
         "deflated",
         "",
         {"META-INF/MANIFEST.MF", "SplashScreen-Image: /images/splash.png\n", "images/splash.png", picture},
         false},
        {"no manifest", "deflated", "", {"images/splash.png", picture}, false},
    };
    const testing::TestFolder folder;
    const std::filesystem::path script = std::filesystem::path(JLAUNCH_SOURCE_DIR) / "tests/unit/make_jar.py";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::filesystem::path jar = folder.path() / "app.jar";
        std::string command =
            "python3 '" + script.string() + "' '" + jar.string() + "' " + c.method + " '" + c.comment + "'";
        for (const std::string& entry : c.entries) command += " '" + entry + "'";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
        const auto read = jarSplashPicture(jar.wstring());
        ASSERT_EQ(read.has_value(), c.found);
        if (c.found) {
            EXPECT_EQ(*read, picture);
        }
        // A jar cut short anywhere past its first bytes holds no picture.
        std::ifstream in(jar, std::ios::binary);
        const std::string whole((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        for (const std::size_t cut : {whole.size() - 1, whole.size() - 30, whole.size() / 2}) {
            const auto shortened = folder.write("short.jar", whole.substr(0, cut));
            EXPECT_FALSE(jarSplashPicture(shortened.wstring()).has_value()) << cut;
        }
    }
    EXPECT_FALSE(jarSplashPicture((folder.path() / "missing.jar").wstring()).has_value());
}

}  // namespace
}  // namespace jlaunch
