// The splash screens through the real exe under Wine's X11 driver, on an
// Xvfb screen of 1920 x 1080 that the tests read back (wine-x11-run.sh): the
// launcher's own window (class, styles, place, pixels; owner of the run's
// message boxes; gone before the exception dialog), pictures it cannot show,
// and the runtime's native splash, both the real library and a double.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>

#include "../fakes/fake_jvm_script.h"
#include "../support/splash_pictures.h"
#include "hosting_end_to_end_test.h"

namespace jlaunch::test {
namespace {

using fake_jvm::Step;
using fake_jvm::Trace;
using fake_jvm::Variant;

constexpr wchar_t kSplashClass[] = L"SplashScreenWindow";
const std::wstring kDisplay = L"Display";

// The Xvfb framebuffer file (wine-x11-run.sh) by its path on drive Z:.
std::string screenFile() {
    std::string path = std::string("Z:") + (getenv("JLAUNCH_SCREEN_FILE") ? getenv("JLAUNCH_SCREEN_FILE") : "");
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

std::string rectText(const RECT& r) {
    return "(" + std::to_string(r.left) + ", " + std::to_string(r.top) + ") - (" + std::to_string(r.right) + ", " +
           std::to_string(r.bottom) + ")";
}

// The launcher copied beside a fake Java home, with a picture and a main
// that waits until release() so the test can look at the running launch.
class Splash : public testing::Test {
protected:
    Splash() {
        app_.mainDoes(Step::waitFile(release_));
        useJavaHome(Variant::Full);
        settings_.set(hosting::kJre, L"Main Class", L"com.acme.App")
            .set(hosting::kClassPath, L"Class Path", copy_.exeFolder() + L"\\app.jar")
            .set(kDisplay, L"Splash Screen", picture_);
    }

    void useJavaHome(Variant variant) { settings_.set(hosting::kJre, L"JRE Path", fake_jvm::fakeJavaHome(variant)); }
    void writePicture(std::string_view bytes) const { files_.writeFile(L"picture.png", bytes); }

    ChildProcess start() const {
        DeleteFileW(release_.c_str());
        DeleteFileW(trace_.c_str());
        copy_.writeSettings(settings_.bytes());
        EXPECT_TRUE(script_.writeTo(files_ / L"script.txt"));
        return copy_.start({},
                           {{fake_jvm::kScriptVariable, files_ / L"script.txt"}, {fake_jvm::kTraceVariable, trace_}});
    }
    void release() const { files_.writeFile(L"release", ""); }
    Trace trace() const { return Trace::read(trace_); }
    // True once the trace has a line starting with `prefix` (15 s at most).
    bool traced(std::string_view prefix) const {
        for (int i = 0; i < 150 && !trace().containsPrefix(prefix); ++i) Sleep(100);
        return trace().containsPrefix(prefix);
    }
    // Lets main return and waits for the exit code.
    std::optional<std::int32_t> finish(ChildProcess& child) const {
        release();
        return child.waitForExit();
    }

    LauncherCopy copy_{L"app.exe"};
    TemporaryFolder files_;
    const std::wstring release_ = files_ / L"release";
    const std::wstring trace_ = files_ / L"trace.txt";
    const std::wstring picture_ = files_ / L"picture.png";
    hosting::Settings settings_;
    fake_jvm::Script script_;
    fake_jvm::ScriptClass& app_ = script_.appClass("com/acme/App");
};

TEST_F(Splash, OwnWindowShowsThePictureCentredAtItsNaturalSize) {
    ASSERT_EQ(GetSystemMetrics(SM_CXSCREEN), 1920);
    ASSERT_EQ(GetSystemMetrics(SM_CYSCREEN), 1080);
    const struct {
        const char* name;
        std::string picture;
        const wchar_t* shadow;
        RECT expected;
    } cases[] = {
        {"png 601 x 301, shadow", splash_test::pngFile(601, 301), L"true", {659, 389, 1260, 690}},
        {"png 1101 x 2101, higher than the screen", splash_test::pngFile(1101, 2101), L"True", {409, -510, 1510, 1591}},
        {"bmp 601 x 301", splash_test::bmpFile(601, 301), L"yes", {659, 389, 1260, 690}},
    };
    // After main a non-daemon thread keeps DestroyJavaVM waiting, which the
    // teardown reaches only once the splash has gone.
    app_.mainDoes(Step::nonDaemonThread(4000));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        writePicture(c.picture);
        settings_.set(kDisplay, L"Splash Screen Shadow", c.shadow);
        ChildProcess child = start();
        HWND window = child.waitForWindow(kWindowTimeout, kSplashClass);
        ASSERT_NE(window, nullptr);
        RECT rect{};
        GetWindowRect(window, &rect);
        EXPECT_EQ(rectText(rect), rectText(c.expected));
        const bool shadow = std::wstring_view(c.shadow) == L"true";
        EXPECT_EQ(GetClassLongPtrW(window, GCL_STYLE), CS_DBLCLKS | CS_SAVEBITS | (shadow ? CS_DROPSHADOW : 0));
        // The system adds WS_CLIPSIBLINGS to every top-level window.
        EXPECT_EQ(GetWindowLongPtrW(window, GWL_STYLE), WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS);
        EXPECT_EQ(GetWindowLongPtrW(window, GWL_EXSTYLE), WS_EX_TOOLWINDOW);
        EXPECT_EQ(ownerWindow(window), nullptr);
        EXPECT_EQ(splash_test::pictureShownAt(screenFile(), rect.left, rect.top, rect.right - rect.left,
                                              rect.bottom - rect.top),
                  "");
        release();
        // Wine takes up to 2 s to withdraw a window when no window manager runs.
        for (int i = 0; i < 300 && IsWindow(window); ++i) Sleep(10);
        EXPECT_FALSE(IsWindow(window));
        EXPECT_TRUE(child.running() && !trace().containsPrefix("DestroyJavaVM end")) << trace().dump();
        EXPECT_EQ(child.waitForExit(), 0) << narrowForReport(child.blockingWindows());
    }
}

TEST_F(Splash, PicturesThatCannotBeShownGiveNoSplashNoMessageAndTheApplicationStarts) {
    const std::string png = splash_test::pngFile(601, 301);
    const struct {
        const char* name;
        std::optional<std::string> picture;  // nothing: a folder of the picture's name
    } cases[] = {
        {"missing", ""},
        {"empty", ""},
        {"not a picture", "GIF89a, or so it says; a text all the same"},
        {"truncated png", png.substr(0, png.size() / 2)},
        {"a folder", std::nullopt},
        {"30000 x 30000 pixels", splash_test::bmpFile(30000, 30000, true)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        removeTree(picture_);  // a folder
        DeleteFileW(picture_.c_str());
        if (!c.picture) {
            createFolders(picture_);
        } else if (std::string_view(c.name) != "missing") {
            writePicture(*c.picture);
        }
        ChildProcess child = start();
        // The splash thread makes its window of zero size once it found nothing to show.
        HWND window = child.waitForWindow(kWindowTimeout, kSplashClass);
        RECT rect{};
        GetWindowRect(window, &rect);
        EXPECT_TRUE(window != nullptr && IsRectEmpty(&rect)) << rectText(rect);
        EXPECT_TRUE(traced("MAIN-ENTER com/acme/App ")) << trace().dump();
        EXPECT_EQ(finish(child), 0) << narrowForReport(child.blockingWindows());
    }
}

TEST_F(Splash, MessageBoxesOfTheRunAreOwnedByTheSplashWindow) {
    writePicture(splash_test::pngFile(601, 301));
    script_.createWaitFile(release_).createResult(-1);
    ChildProcess child = start();
    HWND splash = child.waitForWindow(kWindowTimeout, kSplashClass);
    ASSERT_NE(splash, nullptr);
    release();
    HWND box = child.waitForWindow(kWindowTimeout, L"#32770");
    ASSERT_NE(box, nullptr);
    const MessageBoxView view = readMessageBox(box);
    EXPECT_EQ(view.owner, splash) << describe(view);
    EXPECT_EQ(view.text, hosting::message(203, {hosting::message(213), hosting::message(225)})) << describe(view);
    EXPECT_TRUE(clickButton(box, IDOK));
    EXPECT_EQ(child.waitForExit(), -1) << narrowForReport(child.blockingWindows());
}

TEST_F(Splash, SplashWindowIsGoneBeforeTheExceptionDialogAppears) {
    writePicture(splash_test::pngFile(601, 301));
    settings_.set(hosting::kApplication, L"Failure Check", L"yes");
    app_.mainDoes(Step::throws("java/lang/IllegalStateException", L"java.lang.IllegalStateException: boom"));
    ChildProcess child = start();
    HWND splash = child.waitForWindow(kWindowTimeout, kSplashClass);
    ASSERT_NE(splash, nullptr);
    release();
    HWND dialog = child.waitForWindow(kWindowTimeout, L"#32770");
    ASSERT_TRUE(dialog != nullptr && GetDlgItem(dialog, 208) != nullptr);
    EXPECT_FALSE(IsWindow(splash));
    EXPECT_TRUE(clickButton(dialog, IDOK));  // Ignore
    EXPECT_EQ(child.waitForExit(), 0) << narrowForReport(child.blockingWindows());
}

TEST_F(Splash, RuntimesSplashLibraryShowsThePictureWhileMainRuns) {
    if (!readFileBytes(fake_jvm::fakeJavaHome(Variant::RealSplash) + L"\\bin\\splashscreen.dll")) {
        GTEST_SKIP() << "the build found no real runtime (JLAUNCH_REAL_RUNTIME)";
    }
    useJavaHome(Variant::RealSplash);
    settings_.set(kDisplay, L"Preffer Native Splash Screen", L"YES");
    writePicture(splash_test::pngFile(601, 301));
    ChildProcess child = start();
    EXPECT_TRUE(traced("MAIN-ENTER com/acme/App ")) << trace().dump();
    EXPECT_EQ(splash_test::pictureShownAt(screenFile(), 659, 389, 601, 301), "");
    EXPECT_TRUE(visibleWindowsOf(child.id(), kSplashClass).empty());
    EXPECT_EQ(finish(child), 0) << narrowForReport(child.blockingWindows());

    // A VM that cannot be created: the run closes the runtime's splash before
    // it returns the failure, whose message has no owner then.
    script_.createResult(-1);
    child = start();
    HWND box = child.waitForWindow(kWindowTimeout, L"#32770");
    ASSERT_NE(box, nullptr) << "ended with " << child.waitForExit().value_or(0x7FFFFFFF) << "\n" << trace().dump();
    EXPECT_EQ(ownerWindow(box), nullptr);
    // Looked for in the top rows (the box covers the middle) until it is gone;
    // the time limit only ends a run that would otherwise hang.
    bool gone = false;
    for (const auto end = std::chrono::steady_clock::now() + kWindowTimeout;
         !gone && std::chrono::steady_clock::now() < end; Sleep(50)) {
        gone = !splash_test::pictureShownAt(screenFile(), 659, 389, 601, 80, 1).empty();
    }
    EXPECT_TRUE(gone) << "the runtime's splash is still shown";
    // Posted, not sent: a box slow to answer under load still gets the click.
    EXPECT_TRUE(sendCommand(box, IDOK));
    EXPECT_EQ(child.waitForExit(), -1) << narrowForReport(child.blockingWindows());
}

// The splash library's calls among the VM's events, one line each.
std::string splashEvents(const Trace& trace) {
    std::string events;
    for (const std::string& line : trace.lines()) {
        if (line.starts_with("SPLASH ") || line.starts_with("CREATE-RESULT ") || line.starts_with("MAIN-RETURN ") ||
            line.starts_with("DestroyJavaVM end")) {
            events +=
                line.substr(0, line.starts_with("SPLASH ") ? line.size() : line.find(' ', line.find(' ') + 1)) + "\n";
        }
    }
    return events;
}

TEST_F(Splash, NativeSplashGetsTheNarrowPathAndItsCloseIsCalledOnceOrTheOwnWindowStandsIn) {
    const std::wstring picture = files_ / L"bild \u0416\u00e9.png";  // Cyrillic lies outside every Latin code page
    files_.writeFile(L"bild \u0416\u00e9.png", splash_test::pngFile(601, 301));
    settings_.set(kDisplay, L"Splash Screen", picture);
    const std::string path = "\"" + fake_jvm::escapeBytes(hosting::ansi(picture)) + "\"";
    const std::string started = "SPLASH Init\nSPLASH LoadFile " + path + "\nSPLASH SetFileJarName " + path + " \"\"\n";
    const std::string ran = "CREATE-RESULT 0\nMAIN-RETURN com/acme/App\nDestroyJavaVM end\n";
    const struct {
        const char* name;
        Variant home;
        const wchar_t* prefer;
        int createResult;
        bool ownWindow;
        std::string events;
    } cases[] = {
        {"native", Variant::SplashDouble, L"yes", 0, false, started + ran + "SPLASH Close\n"},
        {"VM not created", Variant::SplashDouble, L"Yes", -1, false, started + "CREATE-RESULT -1\nSPLASH Close\n"},
        {"no SplashSetFileJarName", Variant::SplashNoJarName, L"YES", 0, true, ran + "SPLASH Close\n"},
        {"not preferred", Variant::SplashDouble, L"No", 0, true, ran},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        useJavaHome(c.home);
        settings_.set(kDisplay, L"Preffer Native Splash Screen", c.prefer);
        script_.createResult(c.createResult);
        ChildProcess child = start();
        if (c.createResult != 0) {
            HWND box = child.waitForWindow(kWindowTimeout, L"#32770");
            EXPECT_TRUE(box != nullptr && clickButton(box, IDOK));
        } else {
            EXPECT_TRUE(traced("MAIN-ENTER com/acme/App ")) << trace().dump();
            RECT rect{};
            GetWindowRect(
                child.waitForWindow(c.ownWindow ? kWindowTimeout : std::chrono::milliseconds(500), kSplashClass),
                &rect);
            EXPECT_EQ(rectText(rect), rectText(c.ownWindow ? RECT{659, 389, 1260, 690} : RECT{}));
        }
        EXPECT_EQ(finish(child), c.createResult == 0 ? 0 : -1) << narrowForReport(child.blockingWindows());
        EXPECT_EQ(splashEvents(trace()), c.events);
    }
}

}  // namespace
}  // namespace jlaunch::test
