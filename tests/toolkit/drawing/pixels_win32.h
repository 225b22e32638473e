// Pixels of GDI+ bitmaps, for pixels.h.
#pragma once

#include "gui/toolkit/gdiplus_win32.h"

namespace VSTGUI::testing {

inline uint32_t pixelAt(CBitmap* bitmap, int32_t x, int32_t y) {
    PlatformImage* image = bitmap ? bitmap->getPlatformImage() : nullptr;
    Gdiplus::ARGB argb = 0;
    if (!image || !image->get() ||
        Gdiplus::DllExports::GdipBitmapGetPixel(image->get(), x, y, &argb) != Gdiplus::Ok)
        return kNothing;
    return argb;
}

// Wine rasterises aliased and anti-aliased lines alike: ask the graphics.
inline bool drawsAntialiased(CDrawContext& context) {
    Gdiplus::SmoothingMode mode = Gdiplus::SmoothingModeInvalid;
    Gdiplus::DllExports::GdipGetSmoothingMode(context.getPlatformGraphics()->graphics->get(),
                                              &mode);
    return mode == Gdiplus::SmoothingModeAntiAlias;
}

}  // namespace VSTGUI::testing
