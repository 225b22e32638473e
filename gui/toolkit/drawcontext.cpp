// The portable part of the drawing context: cached state, geometry and the
// decisions of every drawing operation; drawingbackend.h does the drawing.
#include "gui/toolkit/drawcontext.h"

#include "gui/toolkit/bitmap.h"
#include "gui/toolkit/displaylist.h"
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

// What an antialiased outline can reach beyond its geometry.
double strokeReach(CCoord lineWidth) {
    return std::fabs(lineWidth) * 0.5 + 2.0;
}

CRect boxAround(double x1, double y1, double x2, double y2, double margin) {
    return CRect(std::min(x1, x2) - margin, std::min(y1, y2) - margin, std::max(x1, x2) + margin,
                 std::max(y1, y2) + margin);
}

DisplayItem itemOf(DisplayItem::Kind kind, const DrawingState& state,
                   std::initializer_list<double> geometry) {
    DisplayItem item;
    item.kind = kind;
    item.state = state;
    std::copy(geometry.begin(), geometry.end(), item.geometry);
    return item;
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
    applyCachedState();
}

void CDrawContext::applyCachedState() {
    backend::setPenColor(graphics, frameColor.argb());
    backend::setFillColor(graphics, fillColor.argb());
    backend::setFontColor(graphics, fontColor.argb());
    backend::setPenWidth(graphics, static_cast<float>(lineWidth));
    backend::setPenDotted(graphics, lineStyle == kLineOnOffDash);
    backend::setAntialias(graphics, drawMode == kAntialias);
    const DrawingState state = currentDrawingState();
    backend::setClip(graphics, state.clipX, state.clipY, state.clipWidth, state.clipHeight);
}

DrawingState CDrawContext::currentDrawingState() const {
    DrawingState state;
    state.penColor = frameColor.argb();
    state.fillColor = fillColor.argb();
    state.fontColor = fontColor.argb();
    state.penWidth = static_cast<float>(lineWidth);
    state.dotted = lineStyle == kLineOnOffDash;
    state.antialias = drawMode == kAntialias;
    state.clipX = truncateToInt(clipRect.left);
    state.clipY = truncateToInt(clipRect.top);
    state.clipWidth = std::max(0, truncateToInt(clipRect.width()));
    state.clipHeight = std::max(0, truncateToInt(clipRect.height()));
    return state;
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
    const DrawingState state = currentDrawingState();
    backend::setClip(graphics, state.clipX, state.clipY, state.clipWidth, state.clipHeight);
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
    const int32_t x1 = truncateToInt(penPosition.x), y1 = truncateToInt(penPosition.y);
    const int32_t x2 = truncateToInt(end.x), y2 = truncateToInt(end.y);
    penPosition = end;
    if (recording) {
        DisplayItem item = itemOf(DisplayItem::Kind::line, currentDrawingState(),
                                  {static_cast<double>(x1), static_cast<double>(y1),
                                   static_cast<double>(x2), static_cast<double>(y2)});
        item.bounds = boxAround(x1, y1, x2, y2, strokeReach(lineWidth));
        recording->add(std::move(item));
        return;
    }
    backend::drawLine(graphics, x1, y1, x2, y2);
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
    if (recording) {
        DisplayItem item = itemOf(DisplayItem::Kind::polygon, currentDrawingState(), {});
        item.fill = fills(style);
        item.stroke = strokes(style);
        item.closed = closed;
        item.points.assign(converted, converted + count);
        item.bounds = boxAround(converted[0].x, converted[0].y, converted[0].x, converted[0].y, 0);
        for (const backend::FloatPoint& p : item.points) {
            item.bounds.left = std::min(item.bounds.left, static_cast<double>(p.x));
            item.bounds.top = std::min(item.bounds.top, static_cast<double>(p.y));
            item.bounds.right = std::max(item.bounds.right, static_cast<double>(p.x));
            item.bounds.bottom = std::max(item.bounds.bottom, static_cast<double>(p.y));
        }
        const double reach = strokeReach(lineWidth);
        item.bounds = boxAround(item.bounds.left, item.bounds.top, item.bounds.right,
                                item.bounds.bottom, reach);
        recording->add(std::move(item));
        return;
    }
    backend::drawPolygon(graphics, converted, count, fills(style), strokes(style), closed);
}

void CDrawContext::drawRect(const CRect& rect, CDrawStyle style) {
    const NormalisedRect r = normalise(rect, drawOffset);
    // Stroked one pixel inside the right and bottom edges; a rectangle too
    // thin for that has no outline.
    const bool outline = strokes(style) && r.width >= 1 && r.height >= 1;
    if (recording) {
        const DrawingState state = currentDrawingState();
        if (fills(style)) {
            DisplayItem item =
                itemOf(DisplayItem::Kind::fillRectangle, state, {r.x, r.y, r.width, r.height});
            item.bounds = boxAround(r.x, r.y, r.x + r.width, r.y + r.height, 1);
            recording->add(std::move(item));
        }
        if (outline) {
            DisplayItem item = itemOf(DisplayItem::Kind::strokeRectangle, state,
                                      {r.x, r.y, r.width - 1, r.height - 1});
            item.bounds =
                boxAround(r.x, r.y, r.x + r.width, r.y + r.height, strokeReach(lineWidth));
            recording->add(std::move(item));
        }
        return;
    }
    if (fills(style))
        backend::fillRectangle(graphics, r.x, r.y, r.width, r.height);
    if (outline)
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
    if (recording) {
        const DrawingState state = currentDrawingState();
        const CRect box = boxAround(x, y, static_cast<double>(x) + width,
                                    static_cast<double>(y) + height, strokeReach(lineWidth));
        for (const bool filled : {true, false}) {
            if (filled ? !fills(style) : !strokes(style))
                continue;
            DisplayItem item = itemOf(
                filled ? DisplayItem::Kind::fillEllipse : DisplayItem::Kind::strokeEllipse, state,
                {static_cast<double>(x), static_cast<double>(y), static_cast<double>(width),
                 static_cast<double>(height)});
            item.bounds = box;
            recording->add(std::move(item));
        }
        return;
    }
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
    const float x = static_cast<float>(rect.left + drawOffset.x);
    const float y = static_cast<float>(rect.top + drawOffset.y);
    const float width = static_cast<float>(rect.width());
    const float height = static_cast<float>(rect.height());
    if (recording) {
        DisplayItem item = itemOf(DisplayItem::Kind::arc, currentDrawingState(),
                                  {x, y, width, height, startAngle, sweep});
        item.fill = fills(style);
        item.stroke = strokes(style);
        item.bounds = boxAround(x, y, static_cast<double>(x) + width,
                                static_cast<double>(y) + height, strokeReach(lineWidth));
        recording->add(std::move(item));
        return;
    }
    backend::drawArc(graphics, x, y, width, height, startAngle, sweep, fills(style),
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
    if (!utf8Text || !font || (!graphics && !recording))
        return;
    PlatformFont* platformFont = font->getPlatformFont();
    const double height = backend::fontHeight(graphics, platformFont);
    // The point is the bottom of the line: the layout starts one line height
    // (less one pixel) above it.
    const float x = static_cast<float>(point.x + drawOffset.x);
    const float top = static_cast<float>(point.y + drawOffset.y + 1 - height);
    if (recording) {
        DisplayItem item = itemOf(DisplayItem::Kind::text, currentDrawingState(), {x, top});
        item.text = utf8Text;
        item.font = HeldRef<CFontDesc>(font);
        item.antialiasText = antialias;
        // Glyphs may reach past the measured advance (overhangs, the layout's
        // padding): a line height of margin. Without a measure, the clip.
        const double width = backend::measureStringWidth(graphics, platformFont, utf8Text);
        item.bounds = width >= 0 && height > 0 ? CRect(x - height, top - height * 0.5,
                                                       x + width + height, top + height * 2)
                                               : item.state.clip();
        recording->add(std::move(item));
        return;
    }
    backend::drawString(graphics, platformFont, utf8Text, x, top, antialias);
}

void CDrawContext::drawString(const char* utf8Text, const CRect& rect, CHoriTxtAlign align,
                              bool antialias) {
    if (!utf8Text || !font || (!graphics && !recording))
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

void CDrawContext::replay(const DisplayList& list, const CRect& area, size_t firstItem,
                          size_t endItem) {
    if (!graphics)
        return;
    DrawingState applied;
    bool first = true;
    for (size_t index = firstItem; index < std::min(endItem, list.size()); ++index) {
        const DisplayItem& item = list.items()[index];
        CRect clip = item.state.clip();
        clip.bound(area);
        if (clip.isEmpty() || !item.bounds.rectOverlap(clip))
            continue;
        const DrawingState& s = item.state;
        if (first || s.penColor != applied.penColor)
            backend::setPenColor(graphics, s.penColor);
        if (first || s.fillColor != applied.fillColor)
            backend::setFillColor(graphics, s.fillColor);
        if (first || s.fontColor != applied.fontColor)
            backend::setFontColor(graphics, s.fontColor);
        if (first || s.penWidth != applied.penWidth)
            backend::setPenWidth(graphics, s.penWidth);
        if (first || s.dotted != applied.dotted)
            backend::setPenDotted(graphics, s.dotted);
        if (first || s.antialias != applied.antialias)
            backend::setAntialias(graphics, s.antialias);
        applied = s;
        first = false;
        backend::setClip(graphics, truncateToInt(clip.left), truncateToInt(clip.top),
                         truncateToInt(clip.width()), truncateToInt(clip.height()));
        const double* g = item.geometry;
        const auto f = [g](int i) { return static_cast<float>(g[i]); };
        const auto n = [g](int i) { return truncateToInt(g[i]); };
        switch (item.kind) {
        case DisplayItem::Kind::line:
            backend::drawLine(graphics, n(0), n(1), n(2), n(3));
            break;
        case DisplayItem::Kind::fillRectangle:
            backend::fillRectangle(graphics, f(0), f(1), f(2), f(3));
            break;
        case DisplayItem::Kind::strokeRectangle:
            backend::strokeRectangle(graphics, f(0), f(1), f(2), f(3));
            break;
        case DisplayItem::Kind::fillEllipse:
            backend::fillEllipse(graphics, n(0), n(1), n(2), n(3));
            break;
        case DisplayItem::Kind::strokeEllipse:
            backend::strokeEllipse(graphics, n(0), n(1), n(2), n(3));
            break;
        case DisplayItem::Kind::arc:
            backend::drawArc(graphics, f(0), f(1), f(2), f(3), f(4), f(5), item.fill, item.stroke);
            break;
        case DisplayItem::Kind::polygon:
            backend::drawPolygon(graphics, item.points.data(),
                                 static_cast<int32_t>(item.points.size()), item.fill, item.stroke,
                                 item.closed);
            break;
        case DisplayItem::Kind::text:
            if (CFontDesc* itemFont = item.font.get())
                backend::drawString(graphics, itemFont->getPlatformFont(), item.text.c_str(), f(0),
                                    f(1), item.antialiasText);
            break;
        case DisplayItem::Kind::image:
            if (CBitmap* itemBitmap = item.bitmap.get())
                backend::drawImage(graphics, itemBitmap->getPlatformImage(), n(0), n(1), n(2), n(3),
                                   n(4), n(5), item.alpha);
            break;
        }
    }
    applyCachedState();
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
