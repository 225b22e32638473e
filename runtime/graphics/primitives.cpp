#include <cmath>
#include <cstdio>
#include <vector>

#include "gui/toolkit/drawcontext.h"
#include "gui/toolkit/fontdesc.h"
#include "runtime/graphics/graphicsstate.h"
#include "runtime/scriptvalue.h"

using vexmold::finiteOrZero;
using VSTGUI::CColor;
using VSTGUI::CDrawContext;
using VSTGUI::CPoint;
using VSTGUI::CRect;

namespace {
// Precision beyond this says nothing about a double and only makes the text long.
constexpr int kMaxDecimals = 100;

VSTGUI::CDrawStyle drawStyle(int32_t style) {
    if (style == 1)
        return VSTGUI::kDrawFilled;
    if (style == 2)
        return VSTGUI::kDrawFilledAndStroked;
    return VSTGUI::kDrawStroked;
}
}  // namespace

uint8_t CVexmoldGraphics::colourByte(double component) {
    const double scaled = component * 255.0;
    const double nudged = scaled >= 0 ? scaled + 0.0001 : scaled - 0.0001;
    if (!(nudged >= 1.0))  // below 1, or NaN
        return 0;
    if (nudged >= 255.0)
        return 255;
    return static_cast<uint8_t>(nudged);
}

CColor CVexmoldGraphics::drawingColour() const {
    return CColor{colourByte(drawRed), colourByte(drawGreen), colourByte(drawBlue),
                  colourByte(drawAlpha)};
}

bool CVexmoldGraphics::fillRect(double x, double y, double width, double height) {
    penX = finiteOrZero(x + width);
    penY = finiteOrZero(y + height);
    CDrawContext* context = activeDrawContext();
    if (!context)
        return false;
    context->setFillColor(drawingColour());
    context->setDrawMode(VSTGUI::kCopyMode);
    const CRect corners(std::floor(finiteOrZero(x)), std::floor(finiteOrZero(y)), std::floor(penX),
                        std::floor(penY));
    context->drawRect(corners, VSTGUI::kDrawFilled);
    return true;
}

bool CVexmoldGraphics::lineTo(double x, double y) {
    CDrawContext* context = activeDrawContext();
    if (context) {
        context->setFrameColor(drawingColour());
        context->setDrawMode(VSTGUI::kAntialias);
        context->moveTo(CPoint(penX, penY));
        context->lineTo(CPoint(x, y));
    }
    penX = x;
    penY = y;
    return context != nullptr;
}

bool CVexmoldGraphics::drawText(double stringSlotNumber) {
    if (!activeDrawContext())
        return false;
    // A copy: the slot table may change while the text is drawn.
    const std::string text = stringSlot(stringSlotNumber);
    return drawTextLines(text);
}

bool CVexmoldGraphics::drawNumber(double value, double decimals) {
    if (!activeDrawContext())
        return false;
    int precision = vexmold::scriptIndex(decimals);
    if (precision > kMaxDecimals)
        precision = kMaxDecimals;
    char small[64];
    const int length = std::snprintf(small, sizeof small, "%.*f", precision, value);
    if (length < 0)
        return false;
    if (static_cast<size_t>(length) < sizeof small)
        return drawTextLines(small);
    std::vector<char> large(static_cast<size_t>(length) + 1);
    std::snprintf(large.data(), large.size(), "%.*f", precision, value);
    return drawTextLines(large.data());
}

// Each line goes into a rectangle as wide as the line and textHeight + 2
// high; lines advance by textHeight and the pen ends after the last line,
// so texts and numbers can be chained on one line.
bool CVexmoldGraphics::drawTextLines(const std::string& text) {
    CDrawContext* context = activeDrawContext();
    if (!context)
        return false;
    context->setFontColor(drawingColour());
    context->setDrawMode(VSTGUI::kAntialias);
    size_t start = 0;
    for (;;) {
        const size_t end = text.find('\n', start);
        const std::string line = text.substr(start, end == std::string::npos ? end : end - start);
        const double width = std::max(0.0, finiteOrZero(context->getStringWidth(line.c_str())));
        const CRect box(penX, penY, penX + width, penY + textHeight + 2);
        context->drawString(line.c_str(), box, VSTGUI::kLeftText, true);
        if (end == std::string::npos) {
            penX += width;
            return true;
        }
        penY += textHeight;
        start = end + 1;
    }
}

bool CVexmoldGraphics::drawRectangle(double x, double y, double width, double height,
                                     int32_t style) {
    CDrawContext* context = activeDrawContext();
    if (!context)
        return false;
    context->drawRect(CRect(x, y, x + width, y + height), drawStyle(style));
    return true;
}

bool CVexmoldGraphics::drawEllipse(double x, double y, double width, double height, int32_t style) {
    CDrawContext* context = activeDrawContext();
    if (!context)
        return false;
    context->drawEllipse(CRect(x, y, x + width, y + height), drawStyle(style));
    return true;
}

bool CVexmoldGraphics::drawArc(double x, double y, double width, double height, double startDegrees,
                               double endDegrees, int32_t style) {
    CDrawContext* context = activeDrawContext();
    if (!context)
        return false;
    context->drawArc(CRect(x, y, x + width, y + height), static_cast<float>(startDegrees),
                     static_cast<float>(endDegrees), drawStyle(style));
    return true;
}

bool CVexmoldGraphics::drawTextAtPoint(const std::string& text, double x, double y,
                                       bool antialias) {
    CDrawContext* context = activeDrawContext();
    if (!context)
        return false;
    context->drawString(text.c_str(), CPoint(x, y), antialias);
    return true;
}

bool CVexmoldGraphics::drawTextInRect(const std::string& text, double x, double y, double width,
                                      double height, int32_t align) {
    CDrawContext* context = activeDrawContext();
    if (!context)
        return false;
    const auto alignment = align == 1   ? VSTGUI::kCenterText
                           : align == 2 ? VSTGUI::kRightText
                                        : VSTGUI::kLeftText;
    context->drawString(text.c_str(), CRect(x, y, x + width, y + height), alignment, true);
    return true;
}

bool CVexmoldGraphics::setPixel(double x, double y, double red, double green, double blue,
                                double alpha) {
    CDrawContext* context = activeDrawContext();
    if (!context)
        return false;
    context->drawPoint(CPoint(x, y), CColor{colourByte(red), colourByte(green), colourByte(blue),
                                            colourByte(alpha)});
    return true;
}

bool CVexmoldGraphics::getPixel(double x, double y, double rgba[4]) {
    CDrawContext* context = activeDrawContext();
    if (!context || !rgba)
        return false;
    const CColor c = context->getPoint(CPoint(x, y));
    rgba[0] = c.red;
    rgba[1] = c.green;
    rgba[2] = c.blue;
    rgba[3] = c.alpha;
    return true;
}

bool CVexmoldGraphics::textWidth(const std::string& text, double& width) {
    CDrawContext* context = activeDrawContext();
    if (!context)
        return false;
    width = context->getStringWidth(text.c_str());
    return true;
}

bool CVexmoldGraphics::fontSize(double& size) {
    CDrawContext* context = activeDrawContext();
    if (!context || !context->getFont())
        return false;
    size = context->getFont()->getSize();
    return true;
}

bool CVexmoldGraphics::setDrawMode(int32_t mode) {
    CDrawContext* context = activeDrawContext();
    if (!context)
        return false;
    context->setDrawMode(mode == 3 ? VSTGUI::kAntialias : VSTGUI::kCopyMode);
    return true;
}

void CVexmoldGraphics::clearSurface() {
    if (vexmold::scriptEquals(clearColour, 0.0))
        return;
    const int32_t packed = vexmold::scriptIndex(clearColour);
    drawRed = (packed & 255) / 255.0;
    drawGreen = ((packed >> 8) & 255) / 255.0;
    drawBlue = ((packed >> 16) & 255) / 255.0;
    drawAlpha = 1.0;
    penX = 0.0;
    penY = 0.0;
    fillRect(0.0, 0.0, surfaceWidth, surfaceHeight);
}
