// Images over GDI+: embedded "DATA" resources decoded through a resource
// stream, files, empty images, copies, and drawing with alpha.
#include "gui/toolkit/drawingbackend.h"
#include "gui/toolkit/gdiplus_win32.h"
#include "gui/toolkit/resourcestream_win32.h"
#include "gui/toolkit/textconversion_win32.h"
#include "platform/platform.h"

namespace VSTGUI::backend {

namespace {

using namespace Gdiplus;
using namespace Gdiplus::DllExports;

constexpr int32_t kLargestResourceId = 0xffff;

template <class Create> PlatformImage* makeImage(Create&& create) {
    return gdipMake<PlatformImage>(create);
}

// Decodes a "DATA" resource through a resource stream; null when absent or undecodable.
GpBitmap* decodeDataResource(HMODULE module, const char* name) {
    HRSRC resource = FindResourceA(module, name, "DATA");
    if (!resource)
        return nullptr;
    const DWORD size = SizeofResource(module, resource);
    HGLOBAL loaded = LoadResource(module, resource);
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes || size == 0)
        return nullptr;
    auto* stream = new (std::nothrow) ResourceStream(bytes, size);
    if (!stream)
        return nullptr;
    GpBitmap* bitmap = nullptr;
    if (GdipCreateBitmapFromStreamICM(stream, &bitmap) != Ok)
        bitmap = nullptr;
    stream->Release();
    return bitmap;
}

}  // namespace

PlatformImage* loadResourceImage(const CResourceDescription& description) {
    const char* name = nullptr;
    std::wstring wideName;
    const wchar_t* bitmapName = nullptr;
    if (description.type == CResourceDescription::kIntegerType) {
        if (description.id < 0 || description.id > kLargestResourceId)
            return nullptr;
        const auto id = static_cast<WORD>(description.id);
        name = MAKEINTRESOURCEA(id);
        bitmapName = MAKEINTRESOURCEW(id);
    } else if (description.type == CResourceDescription::kStringType && description.name) {
        name = description.name;
        wideName = utf8ToWide(description.name);
        bitmapName = wideName.c_str();
    } else {
        return nullptr;
    }
    if (GDIPlusGlobals::getGeneration() == 0)
        return nullptr;
    HMODULE module = static_cast<HMODULE>(plux::platform::pluginModule());
    if (GpBitmap* decoded = decodeDataResource(module, name))
        return gdipAdopt<PlatformImage>(Ok, decoded);
    // Not a "DATA" image: perhaps a standard bitmap resource of that name.
    return makeImage([&](GpBitmap** bitmap) {
        return GdipCreateBitmapFromResource(module, bitmapName, bitmap);
    });
}

PlatformImage* loadImageFile(const char* utf8Path) {
    const std::wstring path = utf8ToWide(utf8Path);
    if (path.empty() || GDIPlusGlobals::getGeneration() == 0)
        return nullptr;
    return makeImage(
        [&](GpBitmap** bitmap) { return GdipCreateBitmapFromFile(path.c_str(), bitmap); });
}

PlatformImage* createImage(int32_t width, int32_t height) {
    if (width <= 0 || height <= 0 || GDIPlusGlobals::getGeneration() == 0)
        return nullptr;
    return makeImage([&](GpBitmap** bitmap) {
        return GdipCreateBitmapFromScan0(width, height, 0, PixelFormat32bppARGB, nullptr, bitmap);
    });
}

PlatformImage* copyImage(PlatformImage* source) {
    GpBitmap* native = source ? source->get() : nullptr;
    if (!native)
        return nullptr;
    UINT width = 0;
    UINT height = 0;
    if (!source->check(GdipGetImageWidth(native, &width)) ||
        !source->check(GdipGetImageHeight(native, &height)))
        return nullptr;
    return makeImage([&](GpBitmap** copy) {
        return GdipCloneBitmapAreaI(0, 0, static_cast<INT>(width), static_cast<INT>(height),
                                    PixelFormat32bppARGB, native, copy);
    });
}

PlatformImage* createImageFromGdiData(const uint32_t* pixelRows, void* gdiBitmap, int32_t width,
                                      int32_t height) {
    if (GDIPlusGlobals::getGeneration() == 0)
        return nullptr;
    if (pixelRows) {
        if (width <= 0 || height <= 0 || width > INT32_MAX / 4)
            return nullptr;
        // GDI+ only reads through the pointer; the rows stay with the bitmap.
        auto* scan0 = reinterpret_cast<BYTE*>(const_cast<uint32_t*>(pixelRows));
        return makeImage([&](GpBitmap** bitmap) {
            return GdipCreateBitmapFromScan0(width, height, width * 4, PixelFormat32bppPARGB, scan0,
                                             bitmap);
        });
    }
    if (!gdiBitmap)
        return nullptr;
    return makeImage([&](GpBitmap** bitmap) {
        return GdipCreateBitmapFromHBITMAP(static_cast<HBITMAP>(gdiBitmap), nullptr, bitmap);
    });
}

void destroyImage(PlatformImage* image) {
    gdipDestroy(image);
}

int32_t imageWidth(PlatformImage* image) {
    UINT width = 0;
    if (GpBitmap* native = image ? image->get() : nullptr)
        image->check(GdipGetImageWidth(native, &width));
    return static_cast<int32_t>(width);
}

int32_t imageHeight(PlatformImage* image) {
    UINT height = 0;
    if (GpBitmap* native = image ? image->get() : nullptr)
        image->check(GdipGetImageHeight(native, &height));
    return static_cast<int32_t>(height);
}

bool readImagePixels(PlatformImage* image, uint32_t* argbRows) {
    GpBitmap* native = image ? image->get() : nullptr;
    const int32_t width = imageWidth(image);
    const int32_t height = imageHeight(image);
    if (!native || width <= 0 || height <= 0 || width > INT32_MAX / 4)
        return false;
    // Locked in the caller's layout, so GDI+ converts (and un-premultiplies)
    // straight into the rows.
    BitmapData data = {};
    data.Width = static_cast<UINT>(width);
    data.Height = static_cast<UINT>(height);
    data.Stride = width * 4;
    data.PixelFormat = PixelFormat32bppARGB;
    data.Scan0 = argbRows;
    const GpRect area(0, 0, width, height);
    if (!image->check(GdipBitmapLockBits(native, &area,
                                         ImageLockModeRead | ImageLockModeUserInputBuf,
                                         PixelFormat32bppARGB, &data)))
        return false;
    return image->check(GdipBitmapUnlockBits(native, &data));
}

void drawImage(PlatformGraphics* graphics, PlatformImage* image, int32_t x, int32_t y,
               int32_t width, int32_t height, int32_t sourceX, int32_t sourceY, uint8_t alpha) {
    GpGraphics* target = graphics && graphics->graphics ? graphics->graphics->get() : nullptr;
    GpBitmap* source = image ? image->get() : nullptr;
    if (!target || !source || width <= 0 || height <= 0)
        return;
    if (alpha == 255) {
        graphics->graphics->check(GdipDrawImageRectRectI(target, source, x, y, width, height,
                                                         sourceX, sourceY, width, height, UnitPixel,
                                                         nullptr, nullptr, nullptr));
        return;
    }
    // Through a colour matrix that scales alpha, from a copy of the source area.
    auto* attributes = gdipMake<GdipObject<GpImageAttributes>>(
        [](GpImageAttributes** created) { return GdipCreateImageAttributes(created); });
    if (!attributes)
        return;
    GpImageAttributes* nativeAttributes = attributes->native;
    ColorMatrix matrix = {};
    for (int i = 0; i < 5; ++i)
        matrix.m[i][i] = 1.0f;
    matrix.m[3][3] = static_cast<REAL>(alpha) / 255.0f;
    attributes->check(GdipSetImageAttributesColorMatrix(
        nativeAttributes, ColorAdjustTypeBitmap, TRUE, &matrix, nullptr, ColorMatrixFlagsDefault));
    if (PlatformImage* area = createImage(width, height)) {
        auto* areaGraphics = gdipMake<GdipGraphicsObject>([&](GpGraphics** created) {
            return GdipGetImageGraphicsContext(area->get(), created);
        });
        if (areaGraphics) {
            GpGraphics* nativeAreaGraphics = areaGraphics->native;
            areaGraphics->check(GdipDrawImageRectRectI(nativeAreaGraphics, source, 0, 0, width,
                                                       height, sourceX, sourceY, width, height,
                                                       UnitPixel, nullptr, nullptr, nullptr));
            graphics->graphics->check(GdipDrawImageRectRectI(target, area->get(), x, y, width,
                                                             height, 0, 0, width, height, UnitPixel,
                                                             nativeAttributes, nullptr, nullptr));
        }
        gdipDestroy(areaGraphics);
        destroyImage(area);
    }
    gdipDestroy(attributes);
}

void deleteGdiBitmap(void* gdiBitmap) {
    if (gdiBitmap)
        DeleteObject(static_cast<HBITMAP>(gdiBitmap));
}

}  // namespace VSTGUI::backend
