#include "runtime/graphics/images.h"

#include <new>

#include "gui/toolkit/bitmap.h"
#include "gui/toolkit/drawcontext.h"

using VSTGUI::CBitmap;
using VSTGUI::CPoint;
using VSTGUI::CRect;

TVexmoldImageHolder::~TVexmoldImageHolder() {
    replace(nullptr);
}

void TVexmoldImageHolder::replace(CBitmap* newImage) {
    if (image)
        image->forget();
    image = newImage;
}

bool TVexmoldImageHolder::loadResource(int32_t identifier) {
    replace(new (std::nothrow) CBitmap(VSTGUI::CResourceDescription(identifier)));
    return image && image->isLoaded();
}

bool TVexmoldImageHolder::loadResource(const char* name) {
    if (!name) {
        replace(nullptr);
        return false;
    }
    replace(new (std::nothrow) CBitmap(VSTGUI::CResourceDescription(name)));
    return image && image->isLoaded();
}

bool TVexmoldImageHolder::loadFile(const std::string& utf8Path) {
    replace(VSTGUI::loadBitmapFromFile(utf8Path.c_str()));
    return image && image->isLoaded();
}

bool TVexmoldImageHolder::getTransparentColour(uint8_t rgba[4]) const {
    if (!image || !rgba)
        return false;
    const VSTGUI::CColor c = image->getTransparentColor();
    rgba[0] = c.red;
    rgba[1] = c.green;
    rgba[2] = c.blue;
    rgba[3] = c.alpha;
    return true;
}

bool TVexmoldImageHolder::setTransparentColour(const uint8_t rgba[4]) {
    if (!image || !rgba)
        return false;
    image->setTransparentColor(VSTGUI::CColor{rgba[0], rgba[1], rgba[2], rgba[3]});
    return true;
}

bool TVexmoldImageHolder::getAlphaDrawing(bool& noAlpha) const {
    if (!image)
        return false;
    noAlpha = image->getNoAlpha();
    return true;
}

bool TVexmoldImageHolder::setAlphaDrawing(bool noAlpha) {
    if (!image)
        return false;
    image->setNoAlpha(noAlpha);
    return true;
}

bool TVexmoldImageHolder::draw(VSTGUI::CDrawContext* context, double left, double top, double right,
                               double bottom) const {
    if (!image || !context)
        return false;
    image->draw(context, CRect(left, top, right, bottom), CPoint(0, 0));
    return true;
}

bool TVexmoldImageHolder::drawAlpha(VSTGUI::CDrawContext* context, double left, double top,
                                    double right, double bottom, uint8_t alpha) const {
    if (!image || !context)
        return false;
    image->drawAlphaBlend(context, CRect(left, top, right, bottom), CPoint(0, 0), alpha);
    return true;
}

bool TVexmoldImageHolder::drawTransparent(VSTGUI::CDrawContext* context, double left, double top,
                                          double right, double bottom) const {
    if (!image || !context)
        return false;
    image->drawTransparent(context, CRect(left, top, right, bottom), CPoint(0, 0));
    return true;
}

double TVexmoldImageHolder::width() const {
    return image ? image->getWidth() : 0.0;
}

double TVexmoldImageHolder::height() const {
    return image ? image->getHeight() : 0.0;
}
