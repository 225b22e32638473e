// Text through GDI+: widths, placement of the line and alignment in rectangles.
#include "gui/toolkit/fontdesc.h"
#include "gui/toolkit/textconversion_win32.h"
#include "pixels_win32.h"

#include <gtest/gtest.h>

#include <string>

namespace VSTGUI {
namespace {

using namespace VSTGUI::testing;
using namespace Gdiplus;
using namespace Gdiplus::DllExports;

TEST(Text, WidthsGrowWithTextAndSize) {
    COffscreenContext context(nullptr, 10.0, 10.0);
    const double hello = context.getStringWidth("Hello");
    EXPECT_GT(hello, 10);
    EXPECT_LT(hello, 60);
    EXPECT_GT(context.getStringWidth("HelloHello"), hello * 1.5);
    EXPECT_EQ(context.getStringWidth(""), 0);
    EXPECT_EQ(context.getStringWidth(nullptr), -1);
    // UTF-8 is measured as text, not as bytes of Latin-1.
    EXPECT_GT(context.getStringWidth("\xc3\xa9t\xc3\xa9"), 0);
    EXPECT_LT(context.getStringWidth("\xc3\xa9t\xc3\xa9"),
              context.getStringWidth("\xc3\xa9t\xc3\xa9\xc3\xa9"));

    context.setFont(kSystemFont, 24);
    EXPECT_GT(context.getStringWidth("Hello"), hello * 1.5);
}

TEST(Text, UnknownFamilyMeasuresZeroAndDrawsNothing) {
    COffscreenContext context(nullptr, 60.0, 30.0);
    auto* font = new CFontDesc("NoSuchFamilyAnywhere", 12);
    context.setFont(font);
    font->forget();
    EXPECT_EQ(context.getStringWidth("Hello"), 0);
    context.drawString("Hello", CPoint(2, 20));
    EXPECT_EQ(countDrawn(context), 0);
}

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

TEST(Text, OffsetAndFontColourApply) {
    COffscreenContext context(nullptr, 80.0, 60.0);
    context.setOffset(CPoint(20, 20));
    context.setFontColor(CColor{0, 0, 255, 255});
    context.drawString("Hi", CPoint(0, 20), false);
    EXPECT_EQ(
        countPixels(context, [](int32_t x, int32_t y,
                                uint32_t argb) { return argb != kNothing && (x < 20 || y < 20); }),
        0);
    EXPECT_GT(countPixels(context,
                          [](int32_t, int32_t, uint32_t argb) {
                              return blueOf(argb) > 128 && redOf(argb) < 64 && greenOf(argb) < 64;
                          }),
              0);
}

TEST(Text, RectangleAlignmentsPlaceTheLine) {
    const CRect box(4, 10, 96, 40);
    for (const CHoriTxtAlign align : {kLeftText, kCenterText, kRightText}) {
        COffscreenContext inRect(nullptr, 100.0, 50.0);
        inRect.drawString("Align", box, align, false);
        ASSERT_GT(countDrawn(inRect), 0);

        COffscreenContext atPoint(nullptr, 100.0, 50.0);
        const double width = atPoint.getStringWidth("Align");
        double x = box.left;
        if (align == kRightText)
            x = box.right - width;
        else if (align == kCenterText)
            x = box.left + box.width() * 0.5 - 0.5 * width;
        const double y = box.bottom - (box.height() * 0.5 - 12 * 0.5 + 1);  // "Arial" 12
        EXPECT_EQ(y, 30);
        atPoint.drawString("Align", CPoint(x, y), false);
        EXPECT_TRUE(samePixels(inRect, atPoint)) << align;
    }
}

TEST(Text, RectangleClipsTheTextAndRestoresTheClip) {
    COffscreenContext context(nullptr, 100.0, 40.0);
    context.setClipRect(CRect(0, 0, 90, 40));
    context.drawString("A long line of text", CRect(10, 0, 20, 30), kLeftText, false);
    EXPECT_GT(countDrawn(context), 0);
    EXPECT_EQ(countPixels(context,
                          [](int32_t x, int32_t y, uint32_t argb) {
                              return argb != kNothing && (x < 10 || x >= 20 || y >= 30);
                          }),
              0);
    CRect clip;
    EXPECT_EQ(context.getClipRect(clip), CRect(0, 0, 90, 40));
}

}  // namespace
}  // namespace VSTGUI
