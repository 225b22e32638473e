// Offscreen contexts: a drawing context whose graphics draw into a bitmap.
#include "gui/toolkit/bitmap.h"
#include "gui/toolkit/drawcontext.h"
#include "gui/toolkit/drawingbackend.h"

#include <new>

namespace VSTGUI {

COffscreenContext::COffscreenContext(CFrame* inFrame, CCoord inWidth, CCoord inHeight,
                                     CColor background)
    : CDrawContext(inFrame, nullptr, nullptr), height(inHeight), width(inWidth),
      destroyBitmap(true), backgroundColor(background) {  // UI thread
    bitmap = new (std::nothrow) CBitmap(width, height);
    clipRect = CRect(0, 0, width, height);
    if (bitmap)
        attachGraphics(backend::createGraphicsOnImage(bitmap->getPlatformImage()));
}

COffscreenContext::COffscreenContext(CDrawContext* context, CBitmap* source, bool drawInBitmap)
    : CDrawContext(context ? context->getFrame() : nullptr, nullptr, nullptr),
      sourceBitmap(source) {  // UI thread
    if (source) {
        width = source->getWidth();
        height = source->getHeight();
    }
    clipRect = CRect(0, 0, width, height);
    // Drawing into the source needs one with an image; otherwise draw into a copy.
    drawInSourceBitmap = drawInBitmap && source && source->getPlatformImage();
    backend::CompatibleSurface surface = backend::createCompatibleSurface(
        context ? context->getSystemContext() : nullptr, backend::truncateToInt(width),
        backend::truncateToInt(height), drawInSourceBitmap ? source->getPlatformImage() : nullptr);
    memoryContext = surface.memoryDeviceContext;
    compatibleBitmap = surface.gdiBitmap;
    systemContext = memoryContext;
    attachGraphics(surface.graphics);
    if (drawInSourceBitmap) {
        bitmap = source;
        bitmap->remember();
        return;
    }
    bitmap = new (std::nothrow) CBitmapForOC(surface.image);
    if (!bitmap) {
        backend::destroyImage(surface.image);
        return;
    }
    destroyBitmap = true;
    if (source)
        source->draw(this, CRect(0, 0, width, height));
    else
        fillRect(CRect(0, 0, width, height));  // the fill colour is opaque black here
}

COffscreenContext::~COffscreenContext() {
    // The graphics draw into the bitmap: they go first.
    attachGraphics(nullptr);
    if (bitmap)
        bitmap->forget();
    backend::CompatibleSurface surface;
    surface.memoryDeviceContext = memoryContext;
    surface.gdiBitmap = compatibleBitmap;
    backend::destroyCompatibleSurface(surface);
    systemContext = nullptr;
}

void COffscreenContext::copyFrom(CDrawContext* destination, const CRect& destRect,
                                 const CPoint& srcOffset) {
    if (bitmap && destination)
        bitmap->draw(destination, destRect, srcOffset);
}

}  // namespace VSTGUI
