// Text: widths, unknown families, colour, alignment in rectangles and the
// rectangle's clip.
#include "gui/toolkit/fontdesc.h"
#include "pixels.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace VSTGUI {
namespace {

using namespace VSTGUI::testing;

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

TEST(Text, PointIsTheBottomOfTheLineBox) {
    COffscreenContext context(nullptr, 80.0, 120.0);
    context.setFont(kNormalFontBig);
    context.setFontColor(kRed);
    context.drawString("Hxg", CPoint(5, 100), false);
    ASSERT_GT(countDrawn(context), 0);
    // The descender stays in the line's box, which ends at y + 1; the
    // capital reaches more than half a line above it.
    EXPECT_EQ(countPixels(context, [](int32_t, int32_t y,
                                      uint32_t argb) { return y > 101 && argb != kNothing; }),
              0);
    EXPECT_GT(countPixels(context, [](int32_t, int32_t y,
                                      uint32_t argb) { return y < 93 && argb != kNothing; }),
              0);
}

#ifndef _WIN32  // Wine's GDI+ neither widens bold text nor draws an underline
TEST(Text, BoldIsWiderAndUnderlineRunsUnderTheWholeText) {
    COffscreenContext context(nullptr, 100.0, 30.0);
    const double regular = context.getStringWidth("Hello");
    auto* bold = new CFontDesc("Arial", 12, kBoldFace);
    context.setFont(bold);
    bold->forget();
    EXPECT_GT(context.getStringWidth("Hello"), regular);

    auto* underlined = new CFontDesc("Arial", 12, kUnderlineFace);
    context.setFont(underlined);
    underlined->forget();
    EXPECT_EQ(context.getStringWidth("Hello"), regular);
    context.drawString("Hello", CPoint(10, 20), false);
    // Some row below the baseline is drawn across the whole text: the
    // measured width less the layout's padding, a sixth of the em each side.
    const double padding = 12.0 / 6.0;
    int32_t longestRun = 0;
    for (int32_t y = 0; y < 30; ++y)
        longestRun =
            std::max(longestRun, countPixels(context, [y](int32_t, int32_t row, uint32_t argb) {
                         return row == y && argb != kNothing;
                     }));
    EXPECT_GE(longestRun, static_cast<int32_t>(regular - 2 * padding) - 1);
    EXPECT_LE(longestRun, static_cast<int32_t>(regular - 2 * padding) + 1);
}
#endif

}  // namespace
}  // namespace VSTGUI
