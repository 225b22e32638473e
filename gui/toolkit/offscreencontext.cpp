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

COffscreenContext::COffscreenContext(CFrame* inFrame, CCoord inWidth, CCoord inHeight,
                                     WindowBufferTag)
    : CDrawContext(inFrame, nullptr, nullptr), height(inHeight), width(inWidth),
      windowBuffer(true) {  // UI thread
    const backend::WindowBuffer buffer =
        backend::createWindowBuffer(backend::truncateToInt(width), backend::truncateToInt(height));
    memoryContext = buffer.memoryDeviceContext;
    compatibleBitmap = buffer.bitmap;
    replacedBitmap = buffer.replacedBitmap;
    windowBufferImage = buffer.image;
    systemContext = memoryContext;
    clipRect = CRect(0, 0, width, height);
    attachGraphics(backend::createGraphicsOnImage(windowBufferImage));
}

COffscreenContext* COffscreenContext::newWindowBuffer(CFrame* frame, CCoord width, CCoord height) {
    auto* context = new (std::nothrow) COffscreenContext(frame, width, height, WindowBufferTag{});
    if (context && !context->getPlatformGraphics()) {
        context->forget();
        context = nullptr;
    }
    return context;
}

COffscreenContext::~COffscreenContext() {
    // The graphics draw into the bitmap: they go first.
    attachGraphics(nullptr);
    if (windowBuffer) {
        backend::WindowBuffer buffer;
        buffer.memoryDeviceContext = memoryContext;
        buffer.bitmap = compatibleBitmap;
        buffer.replacedBitmap = replacedBitmap;
        buffer.image = windowBufferImage;
        backend::destroyWindowBuffer(buffer);
        systemContext = nullptr;
        return;
    }
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
    if (!destination)
        return;
    if (windowBuffer) {
        // The destination's offset applies, as to a bitmap drawn there.
        CRect shifted(destRect);
        shifted.offset(destination->getOffset().x, destination->getOffset().y);
        copyToSystemContext(destination->getSystemContext(), shifted, srcOffset);
        return;
    }
    if (bitmap)
        bitmap->draw(destination, destRect, srcOffset);
}

void COffscreenContext::copyToSystemContext(void* deviceContext, const CRect& destRect,
                                            const CPoint& srcOffset) {
    if (!windowBuffer)
        return;
    backend::WindowBuffer buffer;
    buffer.memoryDeviceContext = memoryContext;
    backend::copyWindowBuffer(
        buffer, deviceContext, backend::truncateToInt(destRect.left),
        backend::truncateToInt(destRect.top), backend::truncateToInt(destRect.width()),
        backend::truncateToInt(destRect.height()), backend::truncateToInt(srcOffset.x),
        backend::truncateToInt(srcOffset.y));
}

}  // namespace VSTGUI
