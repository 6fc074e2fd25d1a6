#include "splash/gdiplus_win.h"
#include "splash/picture_size.h"
#include "splash/splash_window_win.h"

namespace jlaunch {

namespace {

struct ScreenDc {
    ScreenDc() : dc(GetDC(nullptr)) {}
    ~ScreenDc() {
        if (dc != nullptr) {
            ReleaseDC(nullptr, dc);
        }
    }
    ScreenDc(const ScreenDc&) = delete;
    ScreenDc& operator=(const ScreenDc&) = delete;
    HDC dc;
};

// Draws the whole image at 1:1 into the device context; false when GDI+
// could not draw it.
bool drawImage(const GdiplusApi& gdiplus, HDC target, Gdiplus::GpImage* image, INT width, INT height) {
    Gdiplus::GpGraphics* graphicsObject = nullptr;
    gdiplus.createFromHdc(target, &graphicsObject);
    const UniqueGdipGraphics graphics(graphicsObject);
    Gdiplus::GpImageAttributes* attributesObject = nullptr;
    gdiplus.createImageAttributes(&attributesObject);
    const UniqueGdipImageAttributes attributes(attributesObject);
    if (!graphics || !attributes) {
        return false;
    }
    gdiplus.setSmoothingMode(graphics.get(), Gdiplus::SmoothingModeHighQuality);
    gdiplus.setCompositingQuality(graphics.get(), Gdiplus::CompositingQualityHighQuality);
    gdiplus.setInterpolationMode(graphics.get(), Gdiplus::InterpolationModeHighQualityBicubic);
    gdiplus.setTextRenderingHint(graphics.get(), Gdiplus::TextRenderingHintAntiAliasGridFit);
    gdiplus.setImageAttributesWrapMode(attributes.get(), Gdiplus::WrapModeTileFlipXY, 0xFF000000, FALSE);
    return gdiplus.drawImageRectRectI(graphics.get(), image, 0, 0, width, height, 0, 0, width, height,
                                      Gdiplus::UnitPixel, attributes.get(), nullptr, nullptr) == Gdiplus::Ok;
}

}  // namespace

RenderedPicture renderPicture(const std::wstring& imagePath) {
    RenderedPicture picture;
    // A header that states a size too large is refused before any decoder
    // allocates its pixels; other content is judged after decoding.
    if (const auto stated = pictureSize(FileReader(imagePath))) {
        if (!isDrawablePictureSize(stated->width, stated->height)) {
            return picture;
        }
    }
    const GdiplusScope scope;
    const GdiplusApi* gdiplus = scope.api();
    if (gdiplus == nullptr) {
        return picture;
    }
    Gdiplus::GpImage* imageObject = nullptr;
    gdiplus->loadImageFromFile(imagePath.c_str(), &imageObject);
    const UniqueGdipImage image(imageObject);
    UINT width = 0;
    UINT height = 0;
    if (!image || gdiplus->getImageWidth(image.get(), &width) != Gdiplus::Ok ||
        gdiplus->getImageHeight(image.get(), &height) != Gdiplus::Ok || !isDrawablePictureSize(width, height)) {
        return picture;
    }
    const ScreenDc screen;
    UniqueBitmap bitmap(CreateCompatibleBitmap(screen.dc, static_cast<int>(width), static_cast<int>(height)));
    const UniqueMemoryDc memory(CreateCompatibleDC(screen.dc));
    if (!bitmap || !memory) {
        return picture;
    }
    HGDIOBJ previous = SelectObject(memory.get(), bitmap.get());
    const bool drawn =
        drawImage(*gdiplus, memory.get(), image.get(), static_cast<INT>(width), static_cast<INT>(height));
    SelectObject(memory.get(), previous);
    if (drawn) {
        picture.bitmap = std::move(bitmap);
        picture.width = static_cast<int>(width);
        picture.height = static_cast<int>(height);
    }
    return picture;
}

}  // namespace jlaunch
