// Reading back what the graphics library drew into bitmaps, for the drawing
// tests of both builds; pixels_win32.h (GDI+) and pixels_cairo.h read a pixel.
#pragma once

#include "gui/toolkit/bitmap.h"
#include "gui/toolkit/drawcontext.h"

#include <cstdint>
#include <functional>

namespace VSTGUI::testing {

constexpr uint32_t kNothing = 0x00000000;  // a new offscreen is transparent black
constexpr CColor kRed{255, 0, 0, 255};
constexpr CColor kGreen{0, 255, 0, 255};

inline uint8_t alphaOf(uint32_t argb) {
    return static_cast<uint8_t>(argb >> 24);
}
inline uint8_t redOf(uint32_t argb) {
    return static_cast<uint8_t>(argb >> 16);
}
inline uint8_t greenOf(uint32_t argb) {
    return static_cast<uint8_t>(argb >> 8);
}
inline uint8_t blueOf(uint32_t argb) {
    return static_cast<uint8_t>(argb);
}

}  // namespace VSTGUI::testing

// Each defines pixelAt(CBitmap*, x, y), the ARGB (not premultiplied) of one
// pixel or kNothing when there is no image or the point is outside, and
// drawsAntialiased(context), what the context's graphics were told.
#ifdef _WIN32
#include "pixels_win32.h"
#else
#include "pixels_cairo.h"
#endif

namespace VSTGUI::testing {

inline uint32_t pixelAt(COffscreenContext& context, int32_t x, int32_t y) {
    return pixelAt(context.getBitmap(), x, y);
}

// How many pixels of the context's bitmap satisfy the predicate.
inline int32_t countPixels(COffscreenContext& context,
                           const std::function<bool(int32_t x, int32_t y, uint32_t argb)>& test) {
    int32_t count = 0;
    const auto width = static_cast<int32_t>(context.getWidth());
    const auto height = static_cast<int32_t>(context.getHeight());
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x)
            if (test(x, y, pixelAt(context, x, y)))
                ++count;
    return count;
}

inline int32_t countDrawn(COffscreenContext& context) {
    return countPixels(context, [](int32_t, int32_t, uint32_t argb) { return argb != kNothing; });
}

// Same size and every pixel equal.
inline bool samePixels(COffscreenContext& a, COffscreenContext& b) {
    if (a.getWidth() != b.getWidth() || a.getHeight() != b.getHeight())
        return false;
    return countPixels(a, [&](int32_t x, int32_t y, uint32_t argb) {
               return argb != pixelAt(b, x, y);
           }) == 0;
}

}  // namespace VSTGUI::testing
