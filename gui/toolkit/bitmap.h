// Bitmaps: loaded from the plug-in's embedded "DATA" images, made from a
// decoded image, or created empty. A failed load leaves width and height 0.
// UI thread only. Every bitmap keeps the graphics library started while it lives.
#pragma once

#include "gui/toolkit/baseobject.h"
#include "gui/toolkit/geometry.h"

#include <cstdint>
#include <string>

namespace VSTGUI {

class CDrawContext;
class CFrame;
struct PlatformImage;  // the graphics library's decoded image

struct CResourceDescription {
    enum Type : int32_t { kIntegerType = 0, kStringType = 1, kUnknownType = 2 };
    Type type = kUnknownType;
    int32_t id = 0;
    const char* name = nullptr;

    CResourceDescription() = default;
    explicit CResourceDescription(int32_t identifier) : type(kIntegerType), id(identifier) {}
    explicit CResourceDescription(const char* resourceName)
        : type(resourceName ? kStringType : kUnknownType), name(resourceName) {}
};

class CBitmap : public CBaseObject {
  public:
    // Loads the embedded image.
    explicit CBitmap(const CResourceDescription& description);
    // An empty width x height bitmap in 32-bit ARGB.
    CBitmap(CFrame& frame, CCoord width, CCoord height);
    CBitmap(CCoord width, CCoord height);
    // A 32-bit ARGB copy of a decoded image; the image stays with the caller.
    explicit CBitmap(PlatformImage* image);
    CBitmap();
    CBitmap(const CBitmap&) = delete;
    ~CBitmap() override;

    virtual void draw(CDrawContext* context, const CRect& dest,
                      const CPoint& offset = CPoint(0, 0));
    virtual void drawTransparent(CDrawContext* context, const CRect& dest,
                                 const CPoint& offset = CPoint(0, 0));
    virtual void drawAlphaBlend(CDrawContext* context, const CRect& dest,
                                const CPoint& offset = CPoint(0, 0), uint8_t alpha = 128);
    // Drops every image and handle; width and height become 0.
    virtual void dispose();
    virtual bool loadFromResource(const CResourceDescription& description);
    // Only disposes; answers false.
    virtual bool loadFromPath(const void* platformPath);

    CCoord getWidth() const { return width; }
    CCoord getHeight() const { return height; }
    bool isLoaded() const { return width > 0 && height > 0; }
    const CResourceDescription& getResourceDescription() const { return resourceDesc; }

    // Stored and reported only; drawing does not use them.
    void setTransparentColor(CColor color) { transparentColor = color; }
    CColor getTransparentColor() const { return transparentColor; }
    void setNoAlpha(bool state) { noAlpha = state; }
    bool getNoAlpha() const { return noAlpha; }

    // The decoded image, made on first need from GDI data; null when none.
    PlatformImage* getPlatformImage();
    // Copies width x height pixels into argbRows, top row first, each
    // 0xAARRGGBB with straight (not premultiplied) colour: what a program
    // needs to save or compare a drawing. False, with nothing written,
    // without an image.
    bool copyPixels(uint32_t* argbRows);

  protected:
    // Takes ownership of image (after dropping whatever the bitmap held).
    void adoptImage(PlatformImage* newImage);

    CResourceDescription resourceDesc;
    CCoord width = 0;
    CCoord height = 0;
    CColor transparentColor = kTransparentCColor;
    bool noAlpha = true;
    void* gdiBitmap = nullptr;  // HBITMAP
    void* gdiMask = nullptr;    // HBITMAP
    PlatformImage* image = nullptr;
    uint32_t* pixelRows = nullptr;  // owned (new[])

  private:
    void takeSizeFromImage();
    std::string resourceName;  // the description's name points here
};

// A bitmap made from an offscreen context's image. It takes ownership of
// the image, so what the context draws shows in the bitmap.
class CBitmapForOC : public CBitmap {
  public:
    explicit CBitmapForOC(PlatformImage* image);
};

// Loads an image file (any format the graphics library decodes). Null when
// the path is null or nothing could be loaded; otherwise a bitmap (one
// reference, for the caller) with non-zero width and height.
CBitmap* loadBitmapFromFile(const char* utf8Path);

}  // namespace VSTGUI
