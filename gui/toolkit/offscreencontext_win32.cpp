// The surface of an offscreen context made compatible with another context.
#include "gui/toolkit/drawingbackend.h"
#include "gui/toolkit/gdiplus_win32.h"

namespace VSTGUI::backend {

namespace {

using namespace Gdiplus;
using namespace Gdiplus::DllExports;

// A GDI bitmap like the reference device context's (the screen's without one).
HBITMAP createCompatibleBitmapFor(HDC reference, int32_t width, int32_t height) {
    HDC screen = reference ? nullptr : GetDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(reference ? reference : screen, width, height);
    if (screen)
        ReleaseDC(nullptr, screen);
    return bitmap;
}

}  // namespace

CompatibleSurface createCompatibleSurface(void* referenceDeviceContext, int32_t width,
                                          int32_t height, PlatformImage* drawInto) {
    CompatibleSurface surface;
    if (GDIPlusGlobals::getGeneration() == 0)
        return surface;
    HDC reference = static_cast<HDC>(referenceDeviceContext);
    HDC memory = CreateCompatibleDC(reference);
    if (memory) {
        countDrawingObjectCreated();
        surface.memoryDeviceContext = memory;
    }
    if (drawInto) {
        surface.graphics = createGraphicsOnImage(drawInto);
        return surface;
    }
    if (width <= 0 || height <= 0)
        return surface;
    HBITMAP gdiBitmap = createCompatibleBitmapFor(reference, width, height);
    if (!gdiBitmap)
        return surface;
    countDrawingObjectCreated();
    surface.gdiBitmap = gdiBitmap;
    surface.image = gdipMake<PlatformImage>([&](GpBitmap** created) {
        return GdipCreateBitmapFromHBITMAP(gdiBitmap, nullptr, created);
    });
    surface.graphics = createGraphicsOnImage(surface.image);
    return surface;
}

void destroyCompatibleSurface(CompatibleSurface& surface) {
    if (surface.gdiBitmap) {
        DeleteObject(static_cast<HBITMAP>(surface.gdiBitmap));
        countDrawingObjectFreed();
    }
    if (surface.memoryDeviceContext) {
        DeleteDC(static_cast<HDC>(surface.memoryDeviceContext));
        countDrawingObjectFreed();
    }
    surface = {};
}

}  // namespace VSTGUI::backend
