#include "splash/gdiplus_win.h"

#include <cstdlib>
#include <string>

namespace jlaunch {

namespace {

// Never destroyed, so that a thread still drawing while the process exits
// finds it intact.
SRWLOCK gdiplusLock = SRWLOCK_INIT;

struct GdiplusSession {
    GdiplusApi api;
    decltype(&Gdiplus::GdiplusShutdown) shutdown = nullptr;
    ULONG_PTR token = 0;
    bool running = false;
};
GdiplusSession session;

template <typename Function>
bool bind(HMODULE module, const char* name, Function& function) {
    function = reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    return function != nullptr;
}

// Only the system's copy, never one planted beside the executable.
HMODULE loadSystemGdiplus() {
    wchar_t folder[MAX_PATH];
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return nullptr;
    }
    return LoadLibraryW((std::wstring(folder, length) + L"\\gdiplus.dll").c_str());
}

// A process that ends through ExitProcess (System.exit) may run this under
// the loader lock after its other threads are gone, where GDI+ must not be
// shut down; the system frees everything then anyway.
bool processIsEnding() {
    using ShutdownInProgress = BOOLEAN(WINAPI*)();
    const auto inProgress = reinterpret_cast<ShutdownInProgress>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "RtlDllShutdownInProgress")));
    return inProgress != nullptr && inProgress() != FALSE;
}

void shutdownAtExit() {
    if (processIsEnding()) {
        return;
    }
    AcquireSRWLockExclusive(&gdiplusLock);
    if (session.running) {
        session.running = false;
        session.shutdown(session.token);
    }
    ReleaseSRWLockExclusive(&gdiplusLock);
}

// Called with the lock held, once per process.
bool startGdiplus() {
    HMODULE module = loadSystemGdiplus();
    if (module == nullptr) {
        return false;
    }
    GdiplusApi& api = session.api;
    decltype(&Gdiplus::GdiplusStartup) startup = nullptr;
    const bool bound = bind(module, "GdiplusStartup", startup) && bind(module, "GdiplusShutdown", session.shutdown) &&
                       bind(module, "GdipLoadImageFromFile", api.loadImageFromFile) &&
                       bind(module, "GdipGetImageWidth", api.getImageWidth) &&
                       bind(module, "GdipGetImageHeight", api.getImageHeight) &&
                       bind(module, "GdipDisposeImage", api.disposeImage) &&
                       bind(module, "GdipCreateFromHDC", api.createFromHdc) &&
                       bind(module, "GdipDeleteGraphics", api.deleteGraphics) &&
                       bind(module, "GdipSetSmoothingMode", api.setSmoothingMode) &&
                       bind(module, "GdipSetCompositingQuality", api.setCompositingQuality) &&
                       bind(module, "GdipSetInterpolationMode", api.setInterpolationMode) &&
                       bind(module, "GdipSetTextRenderingHint", api.setTextRenderingHint) &&
                       bind(module, "GdipCreateImageAttributes", api.createImageAttributes) &&
                       bind(module, "GdipSetImageAttributesWrapMode", api.setImageAttributesWrapMode) &&
                       bind(module, "GdipDisposeImageAttributes", api.disposeImageAttributes) &&
                       bind(module, "GdipDrawImageRectRectI", api.drawImageRectRectI);
    const Gdiplus::GdiplusStartupInput input;  // version 1, default options
    if (!bound || startup(&session.token, &input, nullptr) != Gdiplus::Ok) {
        return false;
    }
    session.running = true;
    std::atexit(shutdownAtExit);
    return true;
}

}  // namespace

GdiplusScope::GdiplusScope() {
    AcquireSRWLockExclusive(&gdiplusLock);
    static bool tried = false;
    if (!tried) {
        tried = true;
        startGdiplus();
    }
    api_ = session.running ? &session.api : nullptr;
}

GdiplusScope::~GdiplusScope() {
    ReleaseSRWLockExclusive(&gdiplusLock);
}

template <typename Object, auto GdiplusApi::*dispose>
void GdiplusTraits<Object, dispose>::close(Type object) noexcept {
    (session.api.*dispose)(object);
}

template struct GdiplusTraits<Gdiplus::GpImage, &GdiplusApi::disposeImage>;
template struct GdiplusTraits<Gdiplus::GpGraphics, &GdiplusApi::deleteGraphics>;
template struct GdiplusTraits<Gdiplus::GpImageAttributes, &GdiplusApi::disposeImageAttributes>;

}  // namespace jlaunch
