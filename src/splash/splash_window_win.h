#pragma once
// The launcher's own splash window: a borderless popup of the picture's
// size, centred on the primary display, painted from one off-screen bitmap.
#include <windows.h>

#include <string>

#include "common/unique_resource.h"

namespace jlaunch {

struct BitmapTraits {
    using Type = HBITMAP;
    static Type invalid() noexcept { return nullptr; }
    static void close(Type bitmap) noexcept { DeleteObject(bitmap); }
};
using UniqueBitmap = UniqueResource<BitmapTraits>;

struct MemoryDcTraits {
    using Type = HDC;
    static Type invalid() noexcept { return nullptr; }
    static void close(Type dc) noexcept { DeleteDC(dc); }
};
using UniqueMemoryDc = UniqueResource<MemoryDcTraits>;

// A bitmap compatible with the screen holding the picture drawn at its
// natural size; no bitmap and 0 x 0 when there is nothing to show.
struct RenderedPicture {
    UniqueBitmap bitmap;
    int width = 0;
    int height = 0;
};

// Decodes the picture with GDI+ and draws it with the high-quality
// settings. A missing, undecodable or oversized picture gives nothing,
// without a message.
RenderedPicture renderPicture(const std::wstring& imagePath);

// The window's top-left corner: the picture centred on a screen of the
// given size, rounded toward zero, so a picture larger than the screen
// overhangs both edges equally.
POINT splashPosition(int screenWidth, int screenHeight, int width, int height);

class SplashWindow {
public:
    SplashWindow() = default;
    SplashWindow(const SplashWindow&) = delete;
    SplashWindow& operator=(const SplashWindow&) = delete;

    // On the thread that will pump the window's messages: renders the
    // picture, registers the class and creates the hidden window; null when
    // no window could be made.
    HWND create(const std::wstring& imagePath, bool shadow);

private:
    static LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void paint(HWND window) const;

    UniqueBitmap bitmap_;
};

// The window class of the splash window.
inline constexpr const wchar_t* kSplashWindowClass = L"SplashScreenWindow";

}  // namespace jlaunch
