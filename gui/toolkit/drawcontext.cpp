// The portable part of the drawing context: cached state, geometry and the
// decisions of every drawing operation; drawingbackend.h does the drawing.
#include "gui/toolkit/drawcontext.h"

#include "gui/toolkit/drawingbackend.h"
#include "gui/toolkit/fontdesc.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <new>

namespace VSTGUI {

namespace {

using backend::truncateToInt;

constexpr int32_t kStackPolygonPoints = 30;

bool fills(CDrawStyle style) {
    return style == kDrawFilled || style == kDrawFilledAndStroked;
}
bool strokes(CDrawStyle style) {
    return style == kDrawStroked || style == kDrawFilledAndStroked;
}

using backend::frameSizeOrDefault;

// x, y, width, height of a rectangle in any orientation, offset added.
struct NormalisedRect {
    float x;
    float y;
    float width;
    float height;
};

NormalisedRect normalise(const CRect& rect, const CPoint& offset) {
    return {static_cast<float>(std::min(rect.left, rect.right) + offset.x),
            static_cast<float>(std::min(rect.top, rect.bottom) + offset.y),
            static_cast<float>(std::fabs(rect.right - rect.left)),
            static_cast<float>(std::fabs(rect.bottom - rect.top))};
}

}  // namespace

CDrawContext::CDrawContext(CFrame* inFrame, void* inSystemContext, void* inWindow)
    : systemContext(inSystemContext), window(inWindow), frame(inFrame) {  // UI thread
    // The member initialisers hold the placeholders (line style dotted, draw
    // mode anti-aliased, colours zero) so that the settings below take effect.
    clipRect = frameSizeOrDefault(frame);
    if (!systemContext && window) {
        systemContext = backend::acquireWindowDeviceContext(window);
        ownsWindowContext = systemContext != nullptr;
    }
    if (systemContext)
        graphics = backend::createGraphicsOnDeviceContext(systemContext);
    if (window)
        windowOrigin = backend::windowScreenOrigin(window);

    setFrameColor(kWhiteCColor);
    setLineStyle(kLineSolid);
    setLineWidth(1);
    setFillColor(kBlackCColor);
    setFontColor(kWhiteCColor);
    setFont(kSystemFont, 0, -1);
    setDrawMode(kCopyMode);
}

CDrawContext::~CDrawContext() {
    if (font)
        font->forget();
    backend::destroyGraphics(graphics);
    if (ownsWindowContext)
        backend::releaseWindowDeviceContext(window, systemContext);
}

void CDrawContext::attachGraphics(PlatformGraphics* newGraphics) {
    backend::destroyGraphics(graphics);
    graphics = newGraphics;
    if (!graphics)
        return;
    // A new pen and new brushes are black, width 1, solid; graphics start
    // aliased. Bring them to the cached state.
    stateUpdateCount += 5;
    backend::setPenColor(graphics, frameColor.argb());
    backend::setFillColor(graphics, fillColor.argb());
    backend::setFontColor(graphics, fontColor.argb());
    backend::setPenWidth(graphics, static_cast<float>(lineWidth));
    backend::setPenDotted(graphics, lineStyle == kLineOnOffDash);
    backend::setAntialias(graphics, drawMode == kAntialias);
}

void CDrawContext::setFrameColor(CColor color) {
    if (color == frameColor)
        return;
    frameColor = color;
    ++stateUpdateCount;
    backend::setPenColor(graphics, color.argb());
}

void CDrawContext::setFillColor(CColor color) {
    if (color == fillColor)
        return;
    fillColor = color;
    ++stateUpdateCount;
    backend::setFillColor(graphics, color.argb());
}

void CDrawContext::setFontColor(CColor color) {
    fontColor = color;
    ++stateUpdateCount;
    backend::setFontColor(graphics, color.argb());
}

void CDrawContext::setLineWidth(CCoord width) {
    if (width == lineWidth)
        return;
    lineWidth = width;
    ++stateUpdateCount;
    backend::setPenWidth(graphics, static_cast<float>(width));
}

void CDrawContext::setLineStyle(CLineStyle style) {
    if (style == lineStyle)
        return;
    lineStyle = style;
    ++stateUpdateCount;
    backend::setPenDotted(graphics, style == kLineOnOffDash);
}

void CDrawContext::setDrawMode(CDrawMode mode) {
    if (mode == drawMode)
        return;
    drawMode = mode;
    ++stateUpdateCount;
    backend::setAntialias(graphics, mode == kAntialias);
}

void CDrawContext::setClipRect(const CRect& clip) {
    CRect absolute = clip;
    absolute.offset(drawOffset.x, drawOffset.y);
    setAbsoluteClip(absolute);
}

void CDrawContext::setAbsoluteClip(const CRect& clip) {
    if (clip == clipRect)
        return;
    clipRect = clip;
    ++stateUpdateCount;
    // A reversed rectangle clips everything rather than a mirrored area.
    backend::setClip(graphics, truncateToInt(clip.left), truncateToInt(clip.top),
                     std::max(0, truncateToInt(clip.width())),
                     std::max(0, truncateToInt(clip.height())));
}

CRect& CDrawContext::getClipRect(CRect& clip) const {
    clip = clipRect;
    clip.offset(-drawOffset.x, -drawOffset.y);
    return clip;
}

void CDrawContext::resetClipRect() {
    setAbsoluteClip(frameSizeOrDefault(frame));
}

void CDrawContext::moveTo(const CPoint& point) {
    penPosition = point;
    penPosition.offset(drawOffset.x, drawOffset.y);
}

void CDrawContext::lineTo(const CPoint& point) {
    CPoint end = point;
    end.offset(drawOffset.x, drawOffset.y);
    backend::drawLine(graphics, truncateToInt(penPosition.x), truncateToInt(penPosition.y),
                      truncateToInt(end.x), truncateToInt(end.y));
    penPosition = end;
}

void CDrawContext::drawLines(const CPoint* points, int32_t pairCount) {
    if (!points)
        return;
    for (int32_t pair = 0; pair < pairCount; ++pair) {
        moveTo(points[2 * pair]);
        lineTo(points[2 * pair + 1]);
    }
}

void CDrawContext::drawPolygon(const CPoint* points, int32_t count, CDrawStyle style, bool closed) {
    if (!points || count <= 0)
        return;
    // Most polygons are small: up to 30 points need no allocation.
    backend::FloatPoint onStack[kStackPolygonPoints];
    std::unique_ptr<backend::FloatPoint[]> onHeap;
    backend::FloatPoint* converted = onStack;
    if (count > kStackPolygonPoints) {
        onHeap.reset(new (std::nothrow) backend::FloatPoint[static_cast<size_t>(count)]);
        if (!onHeap)
            return;
        converted = onHeap.get();
    }
    for (int32_t i = 0; i < count; ++i)
        converted[i] = {static_cast<float>(points[i].x + drawOffset.x),
                        static_cast<float>(points[i].y + drawOffset.y)};
    backend::drawPolygon(graphics, converted, count, fills(style), strokes(style), closed);
}

void CDrawContext::drawRect(const CRect& rect, CDrawStyle style) {
    const NormalisedRect r = normalise(rect, drawOffset);
    if (fills(style))
        backend::fillRectangle(graphics, r.x, r.y, r.width, r.height);
    // Stroked one pixel inside the right and bottom edges; a rectangle too
    // thin for that has no outline.
    if (strokes(style) && r.width >= 1 && r.height >= 1)
        backend::strokeRectangle(graphics, r.x, r.y, r.width - 1, r.height - 1);
}

void CDrawContext::fillRect(const CRect& rect) {
    drawRect(rect, kDrawFilled);
}

void CDrawContext::drawEllipse(const CRect& rect, CDrawStyle style) {
    const NormalisedRect r = normalise(rect, drawOffset);
    const int32_t x = truncateToInt(r.x);
    const int32_t y = truncateToInt(r.y);
    const int32_t width = truncateToInt(r.width) - 1;
    const int32_t height = truncateToInt(r.height) - 1;
    if (width < 0 || height < 0)
        return;
    if (fills(style))
        backend::fillEllipse(graphics, x, y, width, height);
    if (strokes(style))
        backend::strokeEllipse(graphics, x, y, width, height);
}

void CDrawContext::fillEllipse(const CRect& rect) {
    drawEllipse(rect, kDrawFilled);
}

void CDrawContext::drawArc(const CRect& rect, float startAngle, float endAngle, CDrawStyle style) {
    if (startAngle > endAngle)
        endAngle += 360.f;
    const float sweep = std::fabs(endAngle - startAngle);
    backend::drawArc(graphics, static_cast<float>(rect.left + drawOffset.x),
                     static_cast<float>(rect.top + drawOffset.y), static_cast<float>(rect.width()),
                     static_cast<float>(rect.height()), startAngle, sweep, fills(style),
                     strokes(style));
}

void CDrawContext::drawPoint(const CPoint& point, CColor color) {
    const CCoord savedWidth = lineWidth;
    const CColor savedColor = frameColor;
    setLineWidth(1);
    setFrameColor(color);
    moveTo(point);
    lineTo(CPoint(point.x + 1, point.y));
    setFrameColor(savedColor);
    setLineWidth(savedWidth);
}

CColor CDrawContext::getPoint(const CPoint& /*point*/) {
    return kBlackCColor;
}

void CDrawContext::setFont(CFontDesc* newFont, CCoord size, int32_t style) {
    if (!newFont)
        return;  // keep the current font: a context always has one
    CFontDesc* chosen = nullptr;
    if ((size < 1 || size == newFont->getSize()) && (style == -1 || style == newFont->getStyle())) {
        chosen = newFont;
        chosen->remember();
    } else {
        chosen =
            new (std::nothrow) CFontDesc(newFont->getName(), size < 1 ? newFont->getSize() : size,
                                         style == -1 ? newFont->getStyle() : style);
        if (!chosen)
            return;
    }
    // Released only now: the new font may be derived from the current one.
    if (font)
        font->forget();
    font = chosen;
}

CCoord CDrawContext::getStringWidth(const char* utf8Text) {
    if (!utf8Text || !font)
        return -1;
    return backend::measureStringWidth(graphics, font->getPlatformFont(), utf8Text);
}

void CDrawContext::drawString(const char* utf8Text, const CPoint& point, bool antialias) {
    if (!utf8Text || !font || !graphics)
        return;
    PlatformFont* platformFont = font->getPlatformFont();
    const double height = backend::fontHeight(graphics, platformFont);
    // The point is the bottom of the line: the layout starts one line height
    // (less one pixel) above it.
    backend::drawString(graphics, platformFont, utf8Text,
                        static_cast<float>(point.x + drawOffset.x),
                        static_cast<float>(point.y + drawOffset.y + 1 - height), antialias);
}

void CDrawContext::drawString(const char* utf8Text, const CRect& rect, CHoriTxtAlign align,
                              bool antialias) {
    if (!utf8Text || !font || !graphics)
        return;
    CCoord x = rect.left;
    if (align == kRightText)
        x = rect.right - getStringWidth(utf8Text);
    else if (align == kCenterText)
        x = rect.left + (rect.right - rect.left) * 0.5 - 0.5 * getStringWidth(utf8Text);
    const CCoord y = rect.bottom - ((rect.bottom - rect.top) * 0.5 - font->getSize() * 0.5 + 1);

    CRect savedClip;
    getClipRect(savedClip);
    CRect textClip = rect;
    textClip.bound(savedClip);
    setClipRect(textClip);
    drawString(utf8Text, CPoint(x, y), antialias);
    setClipRect(savedClip);
}

void CDrawContext::getMouseLocation(CPoint& point) {
    point = backend::cursorScreenPosition();
    point.offset(-windowOrigin.x, -windowOrigin.y);
}

bool CDrawContext::waitDoubleClick() {
    return backend::waitForDoubleClick(window, backend::cursorScreenPosition());
}

bool CDrawContext::waitDrag() {
    return backend::waitForDrag(window, backend::cursorScreenPosition());
}

}  // namespace VSTGUI
