// The portable state of drawing contexts. These contexts have neither a
// system context nor a window, so they have no graphics on any platform.
#include "gui/toolkit/drawcontext.h"
#include "gui/toolkit/fontdesc.h"

#include "gui/toolkit/drawingbackend.h"

#include <gtest/gtest.h>

#include <limits>

namespace VSTGUI {
namespace {

// Exposes the pen position, which only drawing reads.
class ProbeContext : public CDrawContext {
  public:
    ProbeContext() : CDrawContext(nullptr, nullptr, nullptr) {}
    CPoint penPosition() const { return CDrawContext::penPosition; }
};

TEST(DrawContextState, ConstructionSetsTheDocumentedDefaults) {
    const int32_t fontReferences = kSystemFont->getNbReference();
    {
        ProbeContext context;
        EXPECT_EQ(context.getFrameColor(), kWhiteCColor);
        EXPECT_EQ(context.getFillColor(), kBlackCColor);
        EXPECT_EQ(context.getFontColor(), kWhiteCColor);
        EXPECT_EQ(context.getLineWidth(), 1.0);
        EXPECT_EQ(context.getLineStyle(), kLineSolid);
        EXPECT_EQ(context.getDrawMode(), kCopyMode);
        EXPECT_EQ(context.getFont(), kSystemFont);
        EXPECT_EQ(kSystemFont->getNbReference(), fontReferences + 1);
        CRect clip;
        EXPECT_EQ(context.getClipRect(clip), CRect(0, 0, 1000, 1000));
        EXPECT_EQ(context.getPlatformGraphics(), nullptr);
        EXPECT_EQ(context.getSystemContext(), nullptr);
        // Colour, style, width, fill, font colour and mode each took effect once.
        EXPECT_EQ(context.getStateUpdateCount(), 6);
    }
    EXPECT_EQ(kSystemFont->getNbReference(), fontReferences);
}

TEST(DrawContextState, SettersSkipUnchangedValuesExceptTheFontColour) {
    ProbeContext context;
    const int64_t before = context.getStateUpdateCount();
    context.setFrameColor(kWhiteCColor);
    context.setFillColor(kBlackCColor);
    context.setLineWidth(1);
    context.setLineStyle(kLineSolid);
    context.setDrawMode(kCopyMode);
    EXPECT_EQ(context.getStateUpdateCount(), before);

    context.setFrameColor(CColor{1, 2, 3, 255});
    context.setFillColor(CColor{4, 5, 6, 7});
    context.setLineWidth(2.5);
    context.setLineStyle(kLineOnOffDash);
    context.setDrawMode(kAntialias);
    EXPECT_EQ(context.getStateUpdateCount(), before + 5);
    EXPECT_EQ(context.getFrameColor(), (CColor{1, 2, 3, 255}));
    EXPECT_EQ(context.getFillColor(), (CColor{4, 5, 6, 7}));
    EXPECT_EQ(context.getLineWidth(), 2.5);
    EXPECT_EQ(context.getLineStyle(), kLineOnOffDash);
    EXPECT_EQ(context.getDrawMode(), kAntialias);

    // Alpha alone is a change too.
    context.setFrameColor(CColor{1, 2, 3, 254});
    EXPECT_EQ(context.getStateUpdateCount(), before + 6);

    context.setFontColor(kWhiteCColor);
    context.setFontColor(kWhiteCColor);
    EXPECT_EQ(context.getStateUpdateCount(), before + 8);
}

TEST(DrawContextState, ClipIsStoredAbsoluteAndReportedRelativeToTheOffset) {
    ProbeContext context;
    context.setOffset(CPoint(10, 20));
    context.setClipRect(CRect(1, 2, 30, 40));
    CRect clip;
    EXPECT_EQ(context.getClipRect(clip), CRect(1, 2, 30, 40));

    const int64_t before = context.getStateUpdateCount();
    context.setClipRect(CRect(1, 2, 30, 40));
    EXPECT_EQ(context.getStateUpdateCount(), before);

    // Moving the offset keeps the absolute clip where it was.
    context.setOffset(CPoint(0, 0));
    EXPECT_EQ(context.getClipRect(clip), CRect(11, 22, 40, 60));
    context.setClipRect(CRect(11, 22, 40, 60));
    EXPECT_EQ(context.getStateUpdateCount(), before);

    context.resetClipRect();
    EXPECT_EQ(context.getClipRect(clip), CRect(0, 0, 1000, 1000));
    EXPECT_EQ(context.getStateUpdateCount(), before + 1);

    // Empty and reversed clips are kept as given.
    context.setClipRect(CRect(50, 50, 40, 40));
    EXPECT_EQ(context.getClipRect(clip), CRect(50, 50, 40, 40));
}

TEST(DrawContextState, PenPositionIncludesTheOffset) {
    ProbeContext context;
    context.setOffset(CPoint(5, 7));
    context.moveTo(CPoint(1, 2));
    EXPECT_EQ(context.penPosition(), CPoint(6, 9));
    context.lineTo(CPoint(10.5, 20.25));
    EXPECT_EQ(context.penPosition(), CPoint(15.5, 27.25));

    const CPoint lines[4] = {CPoint(0, 0), CPoint(1, 1), CPoint(2, 2), CPoint(3, 4)};
    context.drawLines(lines, 2);
    EXPECT_EQ(context.penPosition(), CPoint(8, 11));
    // Nothing to draw moves nothing.
    context.drawLines(nullptr, 3);
    context.drawLines(lines, 0);
    context.drawLines(lines, -1);
    EXPECT_EQ(context.penPosition(), CPoint(8, 11));
}

TEST(DrawContextState, DrawPointRestoresColourAndWidthAndLeavesThePenBehindThePoint) {
    ProbeContext context;
    context.setOffset(CPoint(100, 200));
    context.setLineWidth(3);
    context.setFrameColor(CColor{9, 8, 7, 255});
    context.drawPoint(CPoint(4, 5), CColor{255, 0, 0, 255});
    EXPECT_EQ(context.getLineWidth(), 3.0);
    EXPECT_EQ(context.getFrameColor(), (CColor{9, 8, 7, 255}));
    EXPECT_EQ(context.penPosition(), CPoint(105, 205));
}

TEST(DrawContextState, PixelQueryAlwaysAnswersOpaqueBlack) {
    ProbeContext context;
    context.setFillColor(kWhiteCColor);
    context.fillRect(CRect(0, 0, 10, 10));
    EXPECT_EQ(context.getPoint(CPoint(5, 5)), kBlackCColor);
    EXPECT_EQ(context.getPoint(CPoint(-1e9, 1e9)), kBlackCColor);
}

TEST(DrawContextState, SetFontSharesOrDerivesADescription) {
    ProbeContext context;
    CFontDesc* base = new CFontDesc("Arial", 14, kBoldFace);

    // Same size (or below 1) and same style (or -1): the given description, retained.
    context.setFont(base, 0, -1);
    EXPECT_EQ(context.getFont(), base);
    EXPECT_EQ(base->getNbReference(), 2);
    context.setFont(base, 14, kBoldFace);
    EXPECT_EQ(context.getFont(), base);
    EXPECT_EQ(base->getNbReference(), 2);
    context.setFont(base, 0.5, kBoldFace);
    EXPECT_EQ(context.getFont(), base);

    // Another size: a new description keeping name and style.
    context.setFont(base, 20, -1);
    ASSERT_NE(context.getFont(), base);
    EXPECT_EQ(base->getNbReference(), 1);
    EXPECT_STREQ(context.getFont()->getName(), "Arial");
    EXPECT_EQ(context.getFont()->getSize(), 20.0);
    EXPECT_EQ(context.getFont()->getStyle(), kBoldFace);

    // Another style: keeps the name and the size.
    context.setFont(base, 0, kItalicFace);
    EXPECT_EQ(context.getFont()->getSize(), 14.0);
    EXPECT_EQ(context.getFont()->getStyle(), kItalicFace);

    // Deriving from the context's own font (held only by the context) works.
    context.setFont(context.getFont(), 30, -1);
    EXPECT_EQ(context.getFont()->getSize(), 30.0);
    EXPECT_EQ(context.getFont()->getStyle(), kItalicFace);
    context.setFont(context.getFont(), 0, -1);
    EXPECT_EQ(context.getFont()->getSize(), 30.0);

    // A null font keeps the current one.
    CFontDesc* current = context.getFont();
    context.setFont(nullptr, 12, 0);
    EXPECT_EQ(context.getFont(), current);
    base->forget();
}

TEST(DrawContextState, WithoutGraphicsNothingIsMeasuredAndBadInputIsHarmless) {
    ProbeContext context;
    EXPECT_EQ(context.getStringWidth("Hello"), -1);
    EXPECT_EQ(context.getStringWidth(nullptr), -1);

    const CColor fill = context.getFillColor();
    const CPoint points[2] = {CPoint(1, 1), CPoint(2, 2)};
    context.drawPolygon(nullptr, 40, kDrawFilledAndStroked);
    context.drawPolygon(points, 0);
    context.drawPolygon(points, -5);
    context.drawRect(CRect(5, 5, 5, 5), kDrawFilledAndStroked);
    context.drawEllipse(CRect(), kDrawFilledAndStroked);
    context.drawArc(CRect(0, 0, 0, 0), 0, 0, kDrawFilledAndStroked);
    context.drawString(nullptr, CPoint(1, 1));
    context.drawString(nullptr, CRect(0, 0, 10, 10), kRightText);
    context.drawString("text", CRect(0, 0, 10, 10), kCenterText);
    EXPECT_EQ(context.getFillColor(), fill);
    // The string in a rectangle restores the clip it narrowed.
    CRect clip;
    EXPECT_EQ(context.getClipRect(clip), CRect(0, 0, 1000, 1000));
}

TEST(DrawingTruncation, TruncatesTowardZeroAndSaturatesOutOfRange) {
    EXPECT_EQ(backend::truncateToInt(2.9), 2);
    EXPECT_EQ(backend::truncateToInt(-2.9), -2);
    EXPECT_EQ(backend::truncateToInt(std::numeric_limits<double>::quiet_NaN()), 0);
    EXPECT_EQ(backend::truncateToInt(1e300), INT32_MAX);
    EXPECT_EQ(backend::truncateToInt(-1e300), INT32_MIN);
    EXPECT_EQ(backend::truncateToInt(2147483647.5), INT32_MAX);
    EXPECT_EQ(backend::truncateToInt(-2147483648.0), INT32_MIN);
    EXPECT_EQ(backend::addSaturated(INT32_MAX, 1), INT32_MAX);
    EXPECT_EQ(backend::addSaturated(INT32_MIN, -1), INT32_MIN);
    EXPECT_EQ(backend::addSaturated(-5, 3), -2);
}

TEST(DrawContextState, ExtremeCoordinatesKeepTheirState) {
    ProbeContext context;
    context.setOffset(CPoint(1e300, 0));
    context.moveTo(CPoint(1e300, std::numeric_limits<double>::quiet_NaN()));
    context.lineTo(CPoint(-1e308, 5));
    EXPECT_EQ(context.penPosition(), CPoint(-1e308 + 1e300, 5));
    context.drawRect(CRect(-1e300, 0, 1e300, 1), kDrawFilledAndStroked);
    context.drawEllipse(CRect(-1e300, 0, 1e300, 1), kDrawFilledAndStroked);
    context.setOffset(CPoint(0, 0));
    context.setClipRect(CRect(0, 0, 1, 1));
    CRect clip;
    EXPECT_EQ(context.getClipRect(clip), CRect(0, 0, 1, 1));
}

}  // namespace
}  // namespace VSTGUI
