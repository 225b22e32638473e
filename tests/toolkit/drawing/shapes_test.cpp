// Shapes drawn into offscreen contexts, read back pixel by pixel.
#include "pixels.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace VSTGUI {
namespace {

using namespace VSTGUI::testing;

TEST(Shapes, RectangleIsFilledToItsEdgesAndStrokedOnePixelInside) {
    COffscreenContext context(nullptr, 40.0, 40.0);
    context.setFillColor(kRed);
    context.setFrameColor(kGreen);
    context.drawRect(CRect(10, 10, 20, 20), kDrawFilledAndStroked);
    const uint32_t green = kGreen.argb();
    EXPECT_EQ(pixelAt(context, 10, 10), green);
    EXPECT_EQ(pixelAt(context, 19, 10), green);
    EXPECT_EQ(pixelAt(context, 10, 19), green);
    EXPECT_EQ(pixelAt(context, 19, 19), green);
    EXPECT_EQ(pixelAt(context, 15, 19), green);
    EXPECT_EQ(pixelAt(context, 15, 15), kRed.argb());
    EXPECT_EQ(pixelAt(context, 18, 18), kRed.argb());
    EXPECT_EQ(pixelAt(context, 20, 15), kNothing);
    EXPECT_EQ(pixelAt(context, 15, 20), kNothing);
    EXPECT_EQ(pixelAt(context, 9, 15), kNothing);
    EXPECT_EQ(pixelAt(context, 15, 9), kNothing);
    EXPECT_EQ(countDrawn(context), 100);
}

TEST(Shapes, ReversedRectanglesDrawLikeTheirNormalisedForm) {
    const CRect forms[] = {CRect(10, 10, 20, 25), CRect(20, 25, 10, 10), CRect(20, 10, 10, 25),
                           CRect(10, 25, 20, 10)};
    COffscreenContext reference(nullptr, 40.0, 40.0);
    reference.setFillColor(kRed);
    reference.setFrameColor(kGreen);
    reference.drawRect(forms[0], kDrawFilledAndStroked);
    reference.drawEllipse(CRect(0, 0, 9, 30), kDrawFilledAndStroked);
    for (const CRect& form : forms) {
        COffscreenContext context(nullptr, 40.0, 40.0);
        context.setFillColor(kRed);
        context.setFrameColor(kGreen);
        context.drawRect(form, kDrawFilledAndStroked);
        context.drawEllipse(CRect(9, 30, 0, 0), kDrawFilledAndStroked);
        EXPECT_TRUE(samePixels(context, reference));
    }
}

TEST(Shapes, FillAndStrokeStylesAreSeparate) {
    COffscreenContext filled(nullptr, 30.0, 30.0);
    filled.setFillColor(kRed);
    filled.setFrameColor(kGreen);
    filled.fillRect(CRect(5, 5, 15, 15));
    EXPECT_EQ(pixelAt(filled, 14, 14), kRed.argb());
    EXPECT_EQ(countDrawn(filled), 100);

    COffscreenContext stroked(nullptr, 30.0, 30.0);
    stroked.setFillColor(kRed);
    stroked.setFrameColor(kGreen);
    stroked.drawRect(CRect(5, 5, 15, 15), kDrawStroked);
    EXPECT_EQ(pixelAt(stroked, 14, 14), kGreen.argb());
    EXPECT_EQ(pixelAt(stroked, 10, 10), kNothing);
    EXPECT_EQ(countDrawn(stroked), 36);  // the outline of 10 x 10
}

TEST(Shapes, ArcFrom270To90SweepsClockwiseThroughTheRight) {
    COffscreenContext rightHalf(nullptr, 60.0, 60.0);
    rightHalf.setFillColor(kRed);
    rightHalf.drawArc(CRect(10, 10, 50, 50), 270, 90, kDrawFilled);
    EXPECT_EQ(pixelAt(rightHalf, 40, 30), kRed.argb());
    EXPECT_EQ(pixelAt(rightHalf, 45, 20), kRed.argb());
    EXPECT_EQ(pixelAt(rightHalf, 20, 30), kNothing);
    EXPECT_EQ(pixelAt(rightHalf, 15, 40), kNothing);

    COffscreenContext leftHalf(nullptr, 60.0, 60.0);
    leftHalf.setFillColor(kRed);
    leftHalf.drawArc(CRect(10, 10, 50, 50), 90, 270, kDrawFilled);
    EXPECT_EQ(pixelAt(leftHalf, 20, 30), kRed.argb());
    EXPECT_EQ(pixelAt(leftHalf, 40, 30), kNothing);

    // Stroked: only the right side of the circle is drawn.
    COffscreenContext outline(nullptr, 60.0, 60.0);
    outline.setFrameColor(kGreen);
    outline.drawArc(CRect(10, 10, 50, 50), 270, 90, kDrawStroked);
    const auto drawnInColumns = [&](int32_t from, int32_t to) {
        return countPixels(outline, [&](int32_t x, int32_t, uint32_t argb) {
            return x >= from && x <= to && argb != kNothing;
        });
    };
    EXPECT_GT(drawnInColumns(48, 51), 0);
    EXPECT_EQ(drawnInColumns(0, 29), 0);
}

std::vector<CPoint> starPoints(int32_t count) {
    std::vector<CPoint> points;
    for (int32_t i = 0; i < count; ++i) {
        const double angle = 2 * 3.14159265358979 * i / count;
        const double radius = (i % 2) ? 12 : 25;
        points.emplace_back(30 + radius * std::cos(angle), 30 + radius * std::sin(angle));
    }
    return points;
}

TEST(Shapes, PolygonOfThirtyOnePointsDrawsLikeThirtyPlusOne) {
    std::vector<CPoint> thirty = starPoints(30);
    std::vector<CPoint> thirtyOne = thirty;
    thirtyOne.push_back(thirty.front());  // the closing point: the same outline

    COffscreenContext onStack(nullptr, 70.0, 70.0);
    COffscreenContext onHeap(nullptr, 70.0, 70.0);
    for (COffscreenContext* context : {&onStack, &onHeap}) {
        context->setFillColor(kRed);
        context->setFrameColor(kGreen);
        context->setOffset(CPoint(4, 3));
    }
    onStack.drawPolygon(thirty.data(), 30, kDrawFilledAndStroked);
    onHeap.drawPolygon(thirtyOne.data(), 31, kDrawFilledAndStroked);
    EXPECT_EQ(pixelAt(onHeap, 34, 33), kRed.argb());  // the centre, offset included
    EXPECT_EQ(pixelAt(onHeap, 2, 2), kNothing);
    EXPECT_TRUE(samePixels(onStack, onHeap));

    // An open polygon leaves out the closing edge.
    COffscreenContext open(nullptr, 70.0, 70.0);
    COffscreenContext closed(nullptr, 70.0, 70.0);
    const CPoint corner[3] = {CPoint(10, 10), CPoint(50, 10), CPoint(50, 50)};
    open.setFrameColor(kGreen);
    closed.setFrameColor(kGreen);
    open.drawPolygon(corner, 3, kDrawStroked, false);
    closed.drawPolygon(corner, 3, kDrawStroked, true);
    EXPECT_EQ(pixelAt(open, 30, 30), kNothing);
    EXPECT_EQ(pixelAt(closed, 30, 30), kGreen.argb());
}

TEST(Shapes, ClipLimitsDrawingAndFollowsTheOffset) {
    COffscreenContext context(nullptr, 30.0, 30.0);
    context.setFillColor(kRed);
    context.setClipRect(CRect(5, 5, 15, 15));
    context.fillRect(CRect(0, 0, 30, 30));
    EXPECT_EQ(countDrawn(context), 100);
    EXPECT_EQ(pixelAt(context, 5, 5), kRed.argb());
    EXPECT_EQ(pixelAt(context, 14, 14), kRed.argb());
    EXPECT_EQ(pixelAt(context, 15, 15), kNothing);

    COffscreenContext shifted(nullptr, 30.0, 30.0);
    shifted.setFillColor(kRed);
    shifted.setOffset(CPoint(10, 10));
    shifted.setClipRect(CRect(0, 0, 5, 5));  // absolute 10..15
    shifted.fillRect(CRect(-10, -10, 20, 20));
    EXPECT_EQ(countDrawn(shifted), 25);
    EXPECT_EQ(pixelAt(shifted, 10, 10), kRed.argb());
    EXPECT_EQ(pixelAt(shifted, 9, 9), kNothing);

    // A reversed clip draws nothing, rather than a mirrored area.
    COffscreenContext reversed(nullptr, 30.0, 30.0);
    reversed.setFillColor(kRed);
    reversed.setClipRect(CRect(20, 20, 10, 10));
    reversed.fillRect(CRect(0, 0, 30, 30));
    EXPECT_EQ(countDrawn(reversed), 0);
    reversed.resetClipRect();
    reversed.fillRect(CRect(0, 0, 30, 30));
    EXPECT_EQ(countDrawn(reversed), 900);
}

TEST(Shapes, OffsetMovesEveryShape) {
    COffscreenContext context(nullptr, 20.0, 20.0);
    context.setFillColor(kRed);
    context.setOffset(CPoint(5, 5));
    context.fillRect(CRect(0, 0, 2, 2));
    EXPECT_EQ(pixelAt(context, 5, 5), kRed.argb());
    EXPECT_EQ(pixelAt(context, 6, 6), kRed.argb());
    EXPECT_EQ(countDrawn(context), 4);
}

TEST(Shapes, PointAndLinesTruncateToWholePixels) {
    COffscreenContext point(nullptr, 10.0, 10.0);
    point.drawPoint(CPoint(3, 4), kRed);
    EXPECT_EQ(pixelAt(point, 3, 4), kRed.argb());
    EXPECT_EQ(pixelAt(point, 3, 3), kNothing);
    EXPECT_EQ(pixelAt(point, 3, 5), kNothing);
    EXPECT_EQ(pixelAt(point, 2, 4), kNothing);
    EXPECT_LE(countDrawn(point), 2);

    COffscreenContext line(nullptr, 20.0, 10.0);
    line.setFrameColor(kGreen);
    line.moveTo(CPoint(2.7, 5.9));
    line.lineTo(CPoint(10.9, 5.2));
    for (int32_t x = 3; x <= 9; ++x)
        EXPECT_EQ(pixelAt(line, x, 5), kGreen.argb()) << x;
    EXPECT_EQ(countPixels(line, [](int32_t, int32_t y,
                                   uint32_t argb) { return y != 5 && argb != kNothing; }),
              0);
    EXPECT_EQ(pixelAt(line, 1, 5), kNothing);
    EXPECT_EQ(pixelAt(line, 12, 5), kNothing);
}

TEST(Shapes, EllipseFitsInsideItsRectangle) {
    COffscreenContext context(nullptr, 40.0, 40.0);
    context.setFillColor(kRed);
    context.fillEllipse(CRect(10, 10, 30, 30));
    EXPECT_EQ(pixelAt(context, 19, 19), kRed.argb());
    EXPECT_EQ(pixelAt(context, 11, 11), kNothing);
    EXPECT_EQ(countPixels(context,
                          [](int32_t x, int32_t y, uint32_t argb) {
                              return argb != kNothing && (x < 10 || y < 10 || x >= 30 || y >= 30);
                          }),
              0);
}

TEST(Shapes, LineWidthStyleAndDrawModeReachThePen) {
    COffscreenContext solid(nullptr, 40.0, 20.0);
    solid.setFrameColor(kGreen);
    solid.moveTo(CPoint(0, 10));
    solid.lineTo(CPoint(39, 10));
    const int32_t solidCount = countDrawn(solid);
    EXPECT_GE(solidCount, 38);

    COffscreenContext dotted(nullptr, 40.0, 20.0);
    dotted.setFrameColor(kGreen);
    dotted.setLineStyle(kLineOnOffDash);
    dotted.moveTo(CPoint(0, 10));
    dotted.lineTo(CPoint(39, 10));
    EXPECT_GT(countDrawn(dotted), 5);
    EXPECT_LT(countDrawn(dotted), solidCount - 5);

    COffscreenContext wide(nullptr, 40.0, 20.0);
    wide.setFrameColor(kGreen);
    wide.setLineWidth(5);
    wide.moveTo(CPoint(0, 10));
    wide.lineTo(CPoint(39, 10));
    EXPECT_EQ(pixelAt(wide, 20, 8), kGreen.argb());
    EXPECT_EQ(pixelAt(wide, 20, 12), kGreen.argb());
    EXPECT_EQ(pixelAt(solid, 20, 8), kNothing);

    COffscreenContext modes(nullptr, 4.0, 4.0);
    EXPECT_FALSE(drawsAntialiased(modes));
    modes.setDrawMode(kAntialias);
    EXPECT_TRUE(drawsAntialiased(modes));
    modes.setDrawMode(kXorMode);
    EXPECT_FALSE(drawsAntialiased(modes));
}

TEST(Shapes, ColourChangesReachTheBrushesEvenWhenOnlyAlphaDiffers) {
    COffscreenContext context(nullptr, 10.0, 10.0);
    context.setFillColor(kRed);
    context.setFillColor(kRed);  // skipped, still red
    context.fillRect(CRect(0, 0, 5, 10));
    context.setFillColor(CColor{255, 0, 0, 128});
    context.fillRect(CRect(5, 0, 10, 10));
    EXPECT_EQ(pixelAt(context, 2, 2), kRed.argb());
    EXPECT_EQ(alphaOf(pixelAt(context, 7, 2)), 128);
    EXPECT_EQ(redOf(pixelAt(context, 7, 2)), 255);
    EXPECT_EQ(context.getPoint(CPoint(2, 2)), kBlackCColor);
}

TEST(Shapes, EmptyAndDegenerateShapesDrawNothing) {
    COffscreenContext context(nullptr, 20.0, 20.0);
    context.setFillColor(kRed);
    context.setFrameColor(kGreen);
    context.drawRect(CRect(5, 5, 5, 15), kDrawFilledAndStroked);
    context.drawEllipse(CRect(5, 5, 5.5, 15), kDrawFilledAndStroked);
    context.drawArc(CRect(5, 5, 5, 5), 0, 90, kDrawFilledAndStroked);
    context.drawPolygon(nullptr, 3, kDrawFilledAndStroked);
    context.drawLines(nullptr, 2);
    EXPECT_EQ(countDrawn(context), 0);
}

}  // namespace
}  // namespace VSTGUI
