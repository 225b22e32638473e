// Text through GDI+: the line placed as GDI+ draws it at a layout top.
#include "gui/toolkit/fontdesc.h"
#include "gui/toolkit/textconversion_win32.h"
#include "pixels.h"

#include <gtest/gtest.h>

#include <string>

namespace VSTGUI {
namespace {

using namespace VSTGUI::testing;
using namespace Gdiplus;
using namespace Gdiplus::DllExports;

// Draws text with GDI+ directly at the given layout top, as a reference.
void drawReference(COffscreenContext& context, const char* text, float x, float top,
                   bool antialias) {
    PlatformGraphics* graphics = context.getPlatformGraphics();
    GpGraphics* native = graphics->graphics->get();
    GdipSetTextRenderingHint(native, antialias ? TextRenderingHintClearTypeGridFit
                                               : TextRenderingHintSystemDefault);
    const std::wstring wide = utf8ToWide(text);
    const RectF layout(x, top, 0, 0);
    GdipDrawString(native, wide.c_str(), static_cast<INT>(wide.size()),
                   context.getFont()->getPlatformFont()->get(), &layout, nullptr,
                   graphics->fontBrush->get());
}

float fontHeightOf(COffscreenContext& context) {
    REAL dpi = 0;
    REAL height = 0;
    GdipGetDpiY(context.getPlatformGraphics()->graphics->get(), &dpi);
    GdipGetFontHeightGivenDPI(context.getFont()->getPlatformFont()->get(), dpi, &height);
    return height;
}

TEST(Text, PointIsTheBottomOfTheLine) {
    for (const bool antialias : {true, false}) {
        COffscreenContext drawn(nullptr, 80.0, 120.0);
        drawn.setFont(kNormalFontBig);
        drawn.setFontColor(kRed);
        drawn.drawString("Hxg", CPoint(5, 100), antialias);
        ASSERT_GT(countDrawn(drawn), 0);

        // The layout top is y + 1 - h: 87 for a line height of 14.
        const float height = fontHeightOf(drawn);
        ASSERT_GT(height, 10);
        COffscreenContext reference(nullptr, 80.0, 120.0);
        reference.setFont(kNormalFontBig);
        reference.setFontColor(kRed);
        drawReference(reference, "Hxg", 5, 101 - height, antialias);
        EXPECT_TRUE(samePixels(drawn, reference)) << antialias;

        COffscreenContext lower(nullptr, 80.0, 120.0);
        lower.setFont(kNormalFontBig);
        lower.setFontColor(kRed);
        drawReference(lower, "Hxg", 5, 102 - height, antialias);
        EXPECT_FALSE(samePixels(drawn, lower));
        // Nothing below the bottom of the line's box.
        EXPECT_EQ(countPixels(drawn, [](int32_t, int32_t y,
                                        uint32_t argb) { return y > 101 && argb != kNothing; }),
                  0);
    }
}

}  // namespace
}  // namespace VSTGUI
