#pragma once
// Which splash screen a launch shows: none, the Java runtime's own splash
// library ("native"), or the launcher's own window.
#include <string>
#include <string_view>
#include <vector>

namespace jlaunch {

// The "Display" settings as the splash step uses them.
struct SplashRequest {
    std::wstring splashImagePath;  // "Splash Screen", unchanged; empty: no splash
    bool splashShadow = false;     // "Splash Screen Shadow"
    bool preferNative = false;     // "Preffer Native Splash Screen"
    // The picture is deleted right after the splash step: the splash must
    // have read it by then (a jar's picture, copied out of the jar).
    bool temporaryPicture = false;
};

// The shadow is on only for exactly "true"; the native splash is preferred
// for "Yes" in any letter case.
SplashRequest parseSplashSettings(std::wstring imagePath, std::wstring_view shadow, std::wstring_view preferNative);

// True when an argument is exactly "-nosplash" or "/nosplash": then no
// splash setting is read and nothing is shown.
bool hasNoSplashSwitch(const std::vector<std::wstring>& arguments);

// What the platform offers a splash screen.
struct SplashHost {
    bool ownWindow = false;  // the launcher can draw a window of its own
    bool display = false;    // there is a display to show anything on
};

// Windows: its own window and always a display. Linux: no window of its own;
// a display when DISPLAY or WAYLAND_DISPLAY is set.
SplashHost currentSplashHost();

enum class SplashKind { None, Native, OwnWindow };

// What to try first, given whether the runtime's splash library lies beside
// the chosen VM. Without a window of its own the runtime's library is the
// splash whatever the preference says.
SplashKind chooseSplash(const SplashRequest& request, bool nativeLibraryFound, const SplashHost& host);

// What to show when the native splash could not be started.
SplashKind splashFallback(const SplashRequest& request, const SplashHost& host);

}  // namespace jlaunch
