#include "runtime/graphics/mouse.h"

#include <algorithm>

#include "runtime/scriptvalue.h"

namespace {
// Toolkit button flags of a view event.
constexpr int32_t kToolkitLeft = 0x2, kToolkitMiddle = 0x4, kToolkitRight = 0x8,
                  kToolkitShift = 0x10, kToolkitControl = 0x20, kToolkitAlt = 0x40;
// Any mouse event keeps the editor redrawing at least this often.
constexpr double kMouseRedrawRate = 30.0;
}  // namespace

double CVexmoldMouse::scriptMouseButtons(int32_t b) {
    double bits = 0.0;
    if (b & kToolkitLeft)
        bits += 1;
    if (b & kToolkitRight)
        bits += 2;
    if (b & kToolkitControl)
        bits += 4;
    if (b & kToolkitShift)
        bits += 8;
    if (b & kToolkitAlt)
        bits += 16;
    if (b & kToolkitMiddle)
        bits += 64;
    return bits;
}

void CVexmoldMouse::mouseDown(double x, double y, int32_t toolkitButtons) {
    mouseX = x;
    mouseY = y;
    mouseButtons = scriptMouseButtons(toolkitButtons);
    redrawRate = std::max(redrawRate, kMouseRedrawRate);
}

void CVexmoldMouse::mouseUp(double x, double y) {
    mouseX = x;
    mouseY = y;
    mouseButtons = 0.0;
    redrawRate = std::max(redrawRate, kMouseRedrawRate);
}

void CVexmoldMouse::mouseMove(double x, double y) {
    mouseX = x;
    mouseY = y;
    redrawRate = std::max(redrawRate, kMouseRedrawRate);
}

void CVexmoldMouse::beginGraphicsSection(double& sectionButtons, double& sectionX,
                                         double& sectionY) {
    const TVexmoldGraphicsPass* pass = graphicsPass();
    if (pass && pass->hasEditor) {
        surfaceWidth = pass->editorWidth;
        surfaceHeight = pass->editorHeight;
    }
    sectionButtons = vexmold::finiteOrZero(mouseButtons);
    sectionX = vexmold::finiteOrZero(mouseX);
    sectionY = vexmold::finiteOrZero(mouseY);
    clearSurface();
}
