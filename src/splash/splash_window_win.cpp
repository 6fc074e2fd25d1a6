#include "splash/splash_window_win.h"

namespace jlaunch {

namespace {

constexpr UINT kClassStyle = CS_DBLCLKS | CS_SAVEBITS | CS_DROPSHADOW;

// Once per process; the first registration's shadow stays.
bool registerSplashClass(bool shadow, WNDPROC procedure) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = shadow ? kClassStyle : kClassStyle & ~static_cast<UINT>(CS_DROPSHADOW);
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = GetSysColorBrush(COLOR_WINDOW);
    windowClass.lpszClassName = kSplashWindowClass;
    if (RegisterClassExW(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS) {
        return true;
    }
    if (shadow) {
        windowClass.style &= ~static_cast<UINT>(CS_DROPSHADOW);
        return RegisterClassExW(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    }
    return false;
}

}  // namespace

POINT splashPosition(int screenWidth, int screenHeight, int width, int height) {
    return {(screenWidth - width) / 2, (screenHeight - height) / 2};
}

HWND SplashWindow::create(const std::wstring& imagePath, bool shadow) {
    const bool registered = registerSplashClass(shadow, windowProcedure);
    RenderedPicture picture = renderPicture(imagePath);
    bitmap_ = std::move(picture.bitmap);
    if (!registered) {
        return nullptr;
    }
    const POINT corner =
        splashPosition(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), picture.width, picture.height);
    return CreateWindowExW(WS_EX_TOOLWINDOW, kSplashWindowClass, L"", WS_POPUP, corner.x, corner.y, picture.width,
                           picture.height, nullptr, nullptr, GetModuleHandleW(nullptr), this);
}

LRESULT CALLBACK SplashWindow::windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* creation = reinterpret_cast<const CREATESTRUCTW*>(lParam);  // NOLINT(performance-no-int-to-ptr)
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(creation->lpCreateParams));
    }
    // The window's data holds its object from WM_NCCREATE on.
    const auto* self = reinterpret_cast<const SplashWindow*>(  // NOLINT(performance-no-int-to-ptr)
        GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self != nullptr && message == WM_PAINT) {
        self->paint(window);
        return 0;
    }
    if (message == WM_ERASEBKGND) {
        return 1;  // the picture covers the whole window
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// One bit-block copy of the whole picture, whatever the update region.
void SplashWindow::paint(HWND window) const {
    PAINTSTRUCT paint{};
    HDC target = BeginPaint(window, &paint);
    if (target != nullptr && bitmap_) {
        const UniqueMemoryDc source(CreateCompatibleDC(target));
        BITMAP size{};
        if (source && GetObjectW(bitmap_.get(), sizeof size, &size) != 0) {
            HGDIOBJ previous = SelectObject(source.get(), bitmap_.get());
            BitBlt(target, 0, 0, size.bmWidth, size.bmHeight, source.get(), 0, 0, SRCCOPY);
            SelectObject(source.get(), previous);
        }
    }
    EndPaint(window, &paint);
}

}  // namespace jlaunch
