// Image slots: lazy loading, drawing at the pen and the error mark.
#include <cmath>

#include "gui/toolkit/drawcontext.h"
#include "runtime/debuglog.h"
#include "runtime/graphics/graphicsstate.h"
#include "runtime/paths.h"
#include "runtime/scriptvalue.h"

using VSTGUI::CColor;
using VSTGUI::CDrawContext;
using VSTGUI::CRect;

// A slot is loaded at most once: a failed load keeps its empty holder and is
// not retried, so a missing file is logged once and not looked for on every
// draw.
TVexmoldImageEntry& CVexmoldGraphics::lookupImage(double imageSlot) {
    const int32_t slot = vexmold::scriptIndex(imageSlot);
    TVexmoldImageEntry& entry = loadedImages[slot];
    if (entry.holder)
        return entry;
    const std::string* name = fileName(slot);
    if (!name)
        return entry;
    entry.holder = std::make_unique<TVexmoldImageHolder>();
    bool loaded = entry.holder->loadResource(slot);
    if (!loaded) {
        const std::string path = vexmold::resolvePath(*name);
        loaded = entry.holder->loadFile(path);
        if (!loaded)
            vexmold::debugLog("Unable to load: " + path);
    }
    if (loaded) {
        entry.width = entry.holder->width();
        entry.height = entry.holder->height();
    }
    return entry;
}

double CVexmoldGraphics::imageWidth(double imageSlot) {
    return lookupImage(imageSlot).width;
}

double CVexmoldGraphics::imageHeight(double imageSlot) {
    return lookupImage(imageSlot).height;
}

bool CVexmoldGraphics::drawImage(double imageSlot) {
    const TVexmoldImageEntry& entry = lookupImage(imageSlot);
    const double width = std::isfinite(entry.width) ? entry.width : 0.0;
    const double height = std::isfinite(entry.height) ? entry.height : 0.0;
    const double right = penX + width;
    const double bottom = penY + height;
    CDrawContext* context = activeDrawContext();
    if (!context)
        return false;
    if (entry.holder && entry.holder->draw(context, penX, penY, right, bottom))
        return true;
    drawErrorMark(context, penX, penY, right, bottom);
    return false;
}

// Red with a yellow "ERROR", in the image's place. A slot that failed to load
// has size 0 x 0, so its mark covers nothing.
void CVexmoldGraphics::drawErrorMark(CDrawContext* context, double left, double top, double right,
                                     double bottom) {
    const CRect place(left, top, right, bottom);
    context->setFillColor(CColor{255, 0, 0, 255});
    context->drawRect(place, VSTGUI::kDrawFilled);
    context->setFontColor(CColor{255, 255, 0, 255});
    context->drawString("ERROR", place, VSTGUI::kCenterText, true);
}
