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

WindowBuffer createWindowBuffer(int32_t width, int32_t height) {
    WindowBuffer buffer;
    if (width <= 0 || height <= 0)
        return buffer;
    HDC memory = CreateCompatibleDC(nullptr);
    if (!memory)
        return buffer;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap) {
        DeleteDC(memory);
        return buffer;
    }
    countDrawingObjectCreated();
    countDrawingObjectCreated();
    buffer.memoryDeviceContext = memory;
    buffer.bitmap = bitmap;
    buffer.replacedBitmap = SelectObject(memory, bitmap);
    // The same pixels, rows top first, as the bitmaps the library makes.
    buffer.image = gdipMake<PlatformImage>([&](GpBitmap** created) {
        return GdipCreateBitmapFromScan0(width, height, width * 4, PixelFormat32bppARGB,
                                         static_cast<BYTE*>(bits), created);
    });
    if (!buffer.image)
        destroyWindowBuffer(buffer);
    return buffer;
}

void destroyWindowBuffer(WindowBuffer& buffer) {
    // The image reads the bitmap's pixels: it goes first.
    destroyImage(buffer.image);
    HDC memory = static_cast<HDC>(buffer.memoryDeviceContext);
    if (memory) {
        // The bitmap goes out of the device context before either is deleted.
        if (buffer.replacedBitmap)
            SelectObject(memory, static_cast<HGDIOBJ>(buffer.replacedBitmap));
        DeleteDC(memory);
        countDrawingObjectFreed();
    }
    if (buffer.bitmap) {
        DeleteObject(static_cast<HBITMAP>(buffer.bitmap));
        countDrawingObjectFreed();
    }
    buffer = {};
}

void copyWindowBuffer(const WindowBuffer& buffer, void* targetDeviceContext, int32_t x, int32_t y,
                      int32_t width, int32_t height, int32_t sourceX, int32_t sourceY) {
    if (!buffer.memoryDeviceContext || !targetDeviceContext || width <= 0 || height <= 0)
        return;
    BitBlt(static_cast<HDC>(targetDeviceContext), x, y, width, height,
           static_cast<HDC>(buffer.memoryDeviceContext), sourceX, sourceY, SRCCOPY);
    // The target may be another buffer the graphics library draws into next.
    GdiFlush();
}

}  // namespace VSTGUI::backend
