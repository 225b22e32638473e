// The portable part of bitmaps: ownership, sizes and the draw decisions;
// drawingbackend.h decodes, creates and draws the images.
#include "gui/toolkit/bitmap.h"

#include "gui/toolkit/displaylist.h"
#include "gui/toolkit/drawcontext.h"
#include "gui/toolkit/drawingbackend.h"
#include "gui/toolkit/gdiplusglobals.h"

#include <algorithm>
#include <iterator>
#include <new>

namespace VSTGUI {

using backend::truncateToInt;

CBitmap::CBitmap() {
    GDIPlusGlobals::enter();
}

CBitmap::CBitmap(const CResourceDescription& description) : CBitmap() {
    loadFromResource(description);
}

CBitmap::CBitmap(CFrame& /*frame*/, CCoord bitmapWidth, CCoord bitmapHeight)
    : CBitmap(bitmapWidth, bitmapHeight) {}

CBitmap::CBitmap(CCoord bitmapWidth, CCoord bitmapHeight) : CBitmap() {
    image = backend::createImage(truncateToInt(bitmapWidth), truncateToInt(bitmapHeight));
    takeSizeFromImage();
}

CBitmap::CBitmap(PlatformImage* source) : CBitmap() {
    image = backend::copyImage(source);
    takeSizeFromImage();
}

CBitmap::~CBitmap() {
    CBitmap::dispose();
    // Last: the images above belong to the running start-up.
    GDIPlusGlobals::exit();
}

void CBitmap::takeSizeFromImage() {
    width = backend::imageWidth(image);
    height = backend::imageHeight(image);
}

void CBitmap::dispose() {
    backend::destroyImage(image);
    image = nullptr;
    backend::deleteGdiBitmap(gdiBitmap);
    gdiBitmap = nullptr;
    backend::deleteGdiBitmap(gdiMask);
    gdiMask = nullptr;
    delete[] pixelRows;
    pixelRows = nullptr;
    width = 0;
    height = 0;
    noAlpha = false;
}

void CBitmap::adoptImage(PlatformImage* newImage) {
    dispose();
    image = newImage;
    takeSizeFromImage();
}

bool CBitmap::loadFromResource(const CResourceDescription& description) {  // UI thread
    dispose();
    resourceDesc = description;
    if (description.type == CResourceDescription::kStringType && description.name) {
        // Keep a copy: the caller's text need not outlive the bitmap.
        resourceName = description.name;
        resourceDesc.name = resourceName.c_str();
    }
    image = backend::loadResourceImage(resourceDesc);
    takeSizeFromImage();
    // Success is told only by a non-zero size.
    return true;
}

bool CBitmap::loadFromPath(const void* /*platformPath*/) {
    dispose();
    return false;
}

PlatformImage* CBitmap::getPlatformImage() {
    if (!image && (pixelRows || gdiBitmap))
        image = backend::createImageFromGdiData(pixelRows, gdiBitmap, truncateToInt(width),
                                                truncateToInt(height));
    return image;
}

bool CBitmap::copyPixels(uint32_t* argbRows) {
    return argbRows && backend::readImagePixels(getPlatformImage(), argbRows);
}

void CBitmap::draw(CDrawContext* context, const CRect& dest, const CPoint& offset) {
    drawAlphaBlend(context, dest, offset, 255);
}

void CBitmap::drawTransparent(CDrawContext* context, const CRect& dest, const CPoint& offset) {
    drawAlphaBlend(context, dest, offset, 255);
}

void CBitmap::drawAlphaBlend(CDrawContext* context, const CRect& dest, const CPoint& offset,
                             uint8_t alpha) {
    if (!context)
        return;
    PlatformImage* source = getPlatformImage();
    PlatformGraphics* graphics = context->getPlatformGraphics();
    if (!source || !graphics)
        return;
    const int32_t drawWidth = truncateToInt(dest.width());
    const int32_t drawHeight = truncateToInt(dest.height());
    // No scaling and no mirroring: an empty or reversed destination draws nothing.
    if (drawWidth <= 0 || drawHeight <= 0)
        return;
    const CPoint& contextOffset = context->getOffset();
    const int32_t x =
        backend::addSaturated(truncateToInt(contextOffset.x), truncateToInt(dest.left));
    const int32_t y =
        backend::addSaturated(truncateToInt(contextOffset.y), truncateToInt(dest.top));
    const int32_t sourceX = truncateToInt(offset.x);
    const int32_t sourceY = truncateToInt(offset.y);
    if (DisplayList* recording = context->getRecording()) {
        DisplayItem item;
        item.kind = DisplayItem::Kind::image;
        item.state = context->currentDrawingState();
        const int32_t geometry[6] = {x, y, drawWidth, drawHeight, sourceX, sourceY};
        std::copy(std::begin(geometry), std::end(geometry), item.geometry);
        item.alpha = alpha;
        item.bitmap = HeldRef<CBitmap>(this);
        item.bounds =
            CRect(x, y, static_cast<double>(x) + drawWidth, static_cast<double>(y) + drawHeight);
        recording->add(std::move(item));
        return;
    }
    backend::drawImage(graphics, source, x, y, drawWidth, drawHeight, sourceX, sourceY, alpha);
}

CBitmapForOC::CBitmapForOC(PlatformImage* ownedImage) {
    adoptImage(ownedImage);
    noAlpha = true;
}

CBitmap* loadBitmapFromFile(const char* utf8Path) {  // UI thread
    if (!utf8Path)
        return nullptr;
    // Decoding needs the library started, before the bitmap exists to keep it so.
    GDIPlusGlobals::enter();
    CBitmap* bitmap = nullptr;
    if (PlatformImage* decoded = backend::loadImageFile(utf8Path)) {
        bitmap = new (std::nothrow) CBitmap(decoded);
        backend::destroyImage(decoded);
        if (bitmap && !bitmap->isLoaded()) {
            bitmap->forget();
            bitmap = nullptr;
        }
    }
    GDIPlusGlobals::exit();
    return bitmap;
}

}  // namespace VSTGUI
