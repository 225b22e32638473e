// Pixels of cairo image surfaces (premultiplied ARGB32), for pixels.h.
#pragma once

#include "gui/toolkit/cairoobjects_cairo.h"

namespace VSTGUI::testing {

inline uint32_t pixelAt(CBitmap* bitmap, int32_t x, int32_t y) {
    PlatformImage* image = bitmap ? bitmap->getPlatformImage() : nullptr;
    cairo_surface_t* surface = image ? image->surface : nullptr;
    if (!surface || x < 0 || y < 0 || x >= cairo_image_surface_get_width(surface) ||
        y >= cairo_image_surface_get_height(surface))
        return kNothing;
    cairo_surface_flush(surface);
    const unsigned char* row =
        cairo_image_surface_get_data(surface) + y * cairo_image_surface_get_stride(surface);
    const uint32_t premultiplied = reinterpret_cast<const uint32_t*>(row)[x];
    const uint32_t alpha = premultiplied >> 24;
    if (alpha == 0)
        return kNothing;
    const auto straight = [&](int shift) {
        const uint32_t channel = (((premultiplied >> shift) & 0xff) * 255 + alpha / 2) / alpha;
        return (channel > 255 ? 255 : channel) << shift;
    };
    return alpha << 24 | straight(16) | straight(8) | straight(0);
}

inline bool drawsAntialiased(CDrawContext& context) {
    return cairo_get_antialias(context.getPlatformGraphics()->cairo) != CAIRO_ANTIALIAS_NONE;
}

}  // namespace VSTGUI::testing
