// Offscreen surfaces over cairo. A memory "device context" is the cairo
// image surface drawn into; a window's kept buffer is an ARGB32 image
// surface, copied to a window's surface (or another buffer) by painting.
#include "gui/toolkit/cairoobjects_cairo.h"
#include "gui/toolkit/drawingbackend.h"

namespace VSTGUI::backend {

namespace {

// The memory context of an image: its surface, with a reference of its own.
void* memoryContextOf(PlatformImage* image) {
    if (!image || !image->surface)
        return nullptr;
    countDrawingObjectCreated();
    return cairo_surface_reference(image->surface);
}

void releaseMemoryContext(void* memoryDeviceContext) {
    if (!memoryDeviceContext)
        return;
    cairo_surface_destroy(static_cast<cairo_surface_t*>(memoryDeviceContext));
    countDrawingObjectFreed();
}

}  // namespace

// Always an image surface, whatever the reference is: the offscreen's bitmap
// must be readable and drawable like any other image.
CompatibleSurface createCompatibleSurface(void* /*referenceDeviceContext*/, int32_t width,
                                          int32_t height, PlatformImage* drawInto) {
    CompatibleSurface surface;
    if (GDIPlusGlobals::getGeneration() == 0)
        return surface;
    if (drawInto) {
        surface.memoryDeviceContext = memoryContextOf(drawInto);
        surface.graphics = createGraphicsOnImage(drawInto);
        return surface;
    }
    surface.image = createImage(width, height);
    surface.memoryDeviceContext = memoryContextOf(surface.image);
    surface.graphics = createGraphicsOnImage(surface.image);
    return surface;
}

void destroyCompatibleSurface(CompatibleSurface& surface) {
    releaseMemoryContext(surface.memoryDeviceContext);
    surface = {};
}

WindowBuffer createWindowBuffer(int32_t width, int32_t height) {
    WindowBuffer buffer;
    buffer.image = createImage(width, height);
    buffer.memoryDeviceContext = memoryContextOf(buffer.image);
    return buffer;
}

void destroyWindowBuffer(WindowBuffer& buffer) {
    releaseMemoryContext(buffer.memoryDeviceContext);
    destroyImage(buffer.image);
    buffer = {};
}

void copyWindowBuffer(const WindowBuffer& buffer, void* targetDeviceContext, int32_t x, int32_t y,
                      int32_t width, int32_t height, int32_t sourceX, int32_t sourceY) {
    auto* source = static_cast<cairo_surface_t*>(buffer.memoryDeviceContext);
    auto* target = static_cast<cairo_surface_t*>(targetDeviceContext);
    if (!source || !target || width <= 0 || height <= 0 ||
        cairo_surface_status(target) != CAIRO_STATUS_SUCCESS)
        return;
    cairo_surface_flush(source);
    cairo_t* cr = cairo_create(target);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_surface(cr, source, static_cast<double>(x) - sourceX,
                             static_cast<double>(y) - sourceY);
    cairo_rectangle(cr, x, y, width, height);
    cairo_fill(cr);
    cairo_destroy(cr);
    // The target may be another buffer drawn into next, or a window shown now.
    cairo_surface_flush(target);
}

}  // namespace VSTGUI::backend
