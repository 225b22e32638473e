#include "runtime/effectdisplay.h"

#include <cmath>

#include "gui/toolkit/drawcontext.h"
#include "runtime/vexmold.h"

namespace {
constexpr double kGlowStep = 0.07;
constexpr double kFullTurn = 6.283185307179586;
}  // namespace

double advanceGlow(double& phase) {
    const double c = std::cos(phase);
    const double alpha = std::isfinite(c) ? 0.5 + 0.3 * c : 0.5;
    phase += kGlowStep;
    if (!std::isfinite(phase))
        phase = 0.0;
    else if (phase >= kFullTurn)
        phase -= kFullTurn;
    return alpha;
}

void setDrawingColour(TVexmold& script, double red, double green, double blue, double alpha) {
    script.drawRed = red;
    script.drawGreen = green;
    script.drawBlue = blue;
    script.drawAlpha = alpha;
}

void setPen(TVexmold& script, double x, double y) {
    script.penX = x;
    script.penY = y;
}

void drawRedFrame(TVexmold& script, double width, double height) {
    setPen(script, 0, 0);
    setDrawingColour(script, 1, 0, 0, 1);
    if (VSTGUI::CDrawContext* context = script.activeDrawContext()) {
        context->setFrameColor(VSTGUI::CColor{255, 0, 0, 255});
        context->setDrawMode(VSTGUI::kAntialias);
        context->moveTo(VSTGUI::CPoint(0, 0));
    }
    script.lineTo(width - 1, 0);
    script.lineTo(width - 1, height - 1);
    script.lineTo(0, height - 1);
    script.lineTo(0, 0);
}

void drawVersionLine(TVexmold& script, double prefixSlot, double versionDate) {
    script.drawText(prefixSlot);
    script.drawNumber(versionDate, 0);
}
