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

TEST_F(RealSplash, RuntimesOwnSplashShowsThePictureWhileMainRuns) {
    ASSERT_NE(std::getenv("JLAUNCH_SCREEN_FILE"), nullptr) << "run under tests/wine/wine-x11-run.sh";
    install(L"jlaunch.exe");
    folder_.writeFile(L"picture.png", splash_test::pngFile(601, 301));
    const std::wstring out = files_ / L"out.txt";
    const std::wstring release = files_ / L"release";
    writeSettings(
        "SplashProbe", "", "Output File=" + utf8Bytes(out) + "\n",
        "[Display]\nSplash Screen=" + utf8Bytes(folder_ / L"picture.png") + "\nPreffer Native Splash Screen=Yes\n");
    ChildProcess child = ChildProcess::start(app(), commandLine({utf8Bytes(release)}));
    std::string reported;
    for (auto end = std::chrono::steady_clock::now() + kJavaTimeout;
         reported.find('\n') == std::string::npos && std::chrono::steady_clock::now() < end; Sleep(50)) {
        reported = readWhileWritten(out);
    }
    EXPECT_EQ(reported.substr(0, reported.find_first_of("\r\n")),
              "splash=java.awt.Rectangle[x=659,y=389,width=601,height=301]");
    EXPECT_EQ(splash_test::pictureShownAt(screenFile(), 659, 389, 601, 301), "");
    files_.writeFile(L"release", "");
    EXPECT_EQ(child.waitForExit(kJavaTimeout), 0) << narrowForReport(child.blockingWindows());
    EXPECT_NE(splash_test::pictureShownAt(screenFile(), 659, 389, 601, 301, 1), "") << "the splash outlived the run";
}

}  // namespace
}  // namespace jlaunch::test
