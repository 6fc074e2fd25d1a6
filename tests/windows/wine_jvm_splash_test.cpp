// The GUI launcher under Wine's X11 driver (wine-x11-run.sh) hosting the real
// Windows runtime with "Preffer Native Splash Screen": the runtime's own
// splashscreen.dll shows the picture on the Xvfb screen while main runs, and
// the application sees it through java.awt.SplashScreen.
#include <windows.h>

#include <gtest/gtest.h>

#include "../support/splash_pictures.h"
#include "real_runtime.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>

namespace jlaunch::test {
namespace {

// The Xvfb framebuffer file by its path on drive Z:.
std::string screenFile() {
    const char* unix = std::getenv("JLAUNCH_SCREEN_FILE");
    return utf8Bytes(windowsPath(std::string("Z:") + (unix != nullptr ? unix : "")));
}

// What a file holds so far, read while the application still writes it.
std::string readWhileWritten(const std::wstring& path) {
    const UniqueFileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    std::string bytes(4096, '\0');
    DWORD read = 0;
    if (!file.valid() || !ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr)) {
        return {};
    }
    bytes.resize(read);
    return bytes;
}

class RealSplash : public RealRuntime {};

// "Splash Screen", or without it an executable jar's own "SplashScreen-Image"
// (a 480 x 240 picture), by the runtime's library or the
// launcher's window; the jar's picture copied out for it is gone once shown.
TEST_F(RealSplash, PictureIsShownWhileMainRuns) {
    ASSERT_NE(std::getenv("JLAUNCH_SCREEN_FILE"), nullptr) << "run under tests/wine/wine-x11-run.sh";
    install(L"jlaunch.exe");
    folder_.writeFile(L"picture.png", splash_test::pngFile(601, 301));
    CopyFileW(windowsPath(JLAUNCH_SPLASH_JAR).c_str(), (folder_ / L"app.jar").c_str(), FALSE);
    const std::wstring out = files_ / L"out.txt";
    const std::wstring temporary = files_.makeFolder(L"temp");
    const struct {
        const char* name;
        std::string jre;  // more lines of "Java Runtime Environment"
        std::string display;
        struct {
            int x, y, width, height;
        } shown;
        const char* reported;  // by java.awt.SplashScreen; empty: none (the launcher's window)
    } rows[] = {
        {"Splash Screen, runtime's library",
         "",
         "Splash Screen=" + utf8Bytes(folder_ / L"picture.png") + "\nPreffer Native Splash Screen=Yes\n",
         {659, 389, 601, 301},
         "splash=java.awt.Rectangle[x=659,y=389,width=601,height=301]"},
        {"jar's picture, runtime's library",
         "\nMain Jar=app.jar",
         "Preffer Native Splash Screen=Yes\n",
         {720, 420, 480, 240},
         "splash=java.awt.Rectangle[x=720,y=420,width=480,height=240]"},
        {"jar's picture, launcher's window", "\nMain Jar=app.jar", "", {720, 420, 480, 240}, ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        writeSettings("SplashProbe" + row.jre, "", "Output File=" + utf8Bytes(out) + "\n", "[Display]\n" + row.display);
        DeleteFileW(out.c_str());
        ChildProcess child = ChildProcess::start(app(), commandLine({utf8Bytes(files_ / L"release")}), {},
                                                 {{L"TEMP", temporary}, {L"TMP", temporary}});
        std::string reported;
        for (auto end = std::chrono::steady_clock::now() + kJavaTimeout;
             reported.find('\n') == std::string::npos && std::chrono::steady_clock::now() < end; Sleep(50)) {
            reported = readWhileWritten(out);
        }
        if (*row.reported != '\0') {
            EXPECT_EQ(reported.substr(0, reported.find_first_of("\r\n")), row.reported);
        }
        const auto& r = row.shown;
        EXPECT_EQ(splash_test::pictureShownAt(screenFile(), r.x, r.y, r.width, r.height), "");
        for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::path(temporary))) {
            EXPECT_TRUE(entry.path().filename().string().starts_with("hsperfdata_")) << entry.path();
        }
        files_.writeFile(L"release", "");
        EXPECT_EQ(child.waitForExit(kJavaTimeout), 0) << narrowForReport(child.blockingWindows());
        // Wine may take a moment to withdraw a window when no window manager runs.
        bool gone = false;
        for (int i = 0; i < 30 && !gone; ++i) {
            gone = !splash_test::pictureShownAt(screenFile(), r.x, r.y, r.width, r.height, 1).empty();
            if (!gone) Sleep(100);
        }
        EXPECT_TRUE(gone) << "the splash outlived the run";
        DeleteFileW((files_ / L"release").c_str());
    }
}

}  // namespace
}  // namespace jlaunch::test
