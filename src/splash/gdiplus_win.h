#pragma once
// GDI+ from the system's gdiplus.dll, bound on first use and started once
// per process; shut down when the process exits.
#include <windows.h>
#include <objidl.h>

#include <gdiplus.h>

#include "common/unique_resource.h"

namespace jlaunch {

// The flat functions the splash window draws with.
struct GdiplusApi {
    decltype(&Gdiplus::DllExports::GdipLoadImageFromFile) loadImageFromFile = nullptr;
    decltype(&Gdiplus::DllExports::GdipGetImageWidth) getImageWidth = nullptr;
    decltype(&Gdiplus::DllExports::GdipGetImageHeight) getImageHeight = nullptr;
    decltype(&Gdiplus::DllExports::GdipDisposeImage) disposeImage = nullptr;
    decltype(&Gdiplus::DllExports::GdipCreateFromHDC) createFromHdc = nullptr;
    decltype(&Gdiplus::DllExports::GdipDeleteGraphics) deleteGraphics = nullptr;
    decltype(&Gdiplus::DllExports::GdipSetSmoothingMode) setSmoothingMode = nullptr;
    decltype(&Gdiplus::DllExports::GdipSetCompositingQuality) setCompositingQuality = nullptr;
    decltype(&Gdiplus::DllExports::GdipSetInterpolationMode) setInterpolationMode = nullptr;
    decltype(&Gdiplus::DllExports::GdipSetTextRenderingHint) setTextRenderingHint = nullptr;
    decltype(&Gdiplus::DllExports::GdipCreateImageAttributes) createImageAttributes = nullptr;
    decltype(&Gdiplus::DllExports::GdipSetImageAttributesWrapMode) setImageAttributesWrapMode = nullptr;
    decltype(&Gdiplus::DllExports::GdipDisposeImageAttributes) disposeImageAttributes = nullptr;
    decltype(&Gdiplus::DllExports::GdipDrawImageRectRectI) drawImageRectRectI = nullptr;
};

// GDI+ for the lifetime of this object, which holds the process's GDI+
// lock: the shutdown at exit waits until no thread draws any more.
class GdiplusScope {
public:
    GdiplusScope();
    ~GdiplusScope();
    GdiplusScope(const GdiplusScope&) = delete;
    GdiplusScope& operator=(const GdiplusScope&) = delete;

    // Null when GDI+ cannot be loaded or started, or has been shut down.
    const GdiplusApi* api() const { return api_; }

private:
    const GdiplusApi* api_ = nullptr;
};

// Owners of GDI+ objects; only made inside a GdiplusScope.
template <typename Object, auto GdiplusApi::*dispose>
struct GdiplusTraits {
    using Type = Object*;
    static Type invalid() noexcept { return nullptr; }
    static void close(Type object) noexcept;
};
using UniqueGdipImage = UniqueResource<GdiplusTraits<Gdiplus::GpImage, &GdiplusApi::disposeImage>>;
using UniqueGdipGraphics = UniqueResource<GdiplusTraits<Gdiplus::GpGraphics, &GdiplusApi::deleteGraphics>>;
using UniqueGdipImageAttributes =
    UniqueResource<GdiplusTraits<Gdiplus::GpImageAttributes, &GdiplusApi::disposeImageAttributes>>;

}  // namespace jlaunch
