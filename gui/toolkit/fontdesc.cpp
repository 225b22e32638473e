#include "gui/toolkit/fontdesc.h"

#include "gui/toolkit/drawingbackend.h"
#include "gui/toolkit/gdiplusglobals.h"

#include <cstring>
#include <initializer_list>

namespace VSTGUI {

namespace {
// Descriptions holding a platform font; the head is constant-initialised so
// the list works during static initialisation too.
CFontDesc* gFirstWithFont = nullptr;

CFontDesc gSystemFont("Arial", 12);
CFontDesc gNormalFontVeryBig("Arial", 18);
CFontDesc gNormalFontBig("Arial", 14);
CFontDesc gNormalFont("Arial", 12);
CFontDesc gNormalFontSmall("Arial", 11);
CFontDesc gNormalFontSmaller("Arial", 10);
CFontDesc gNormalFontVerySmall("Arial", 9);
CFontDesc gSymbolFont("Symbol", 13);
}  // namespace

CFontDesc* const kSystemFont = &gSystemFont;
CFontDesc* const kNormalFontVeryBig = &gNormalFontVeryBig;
CFontDesc* const kNormalFontBig = &gNormalFontBig;
CFontDesc* const kNormalFont = &gNormalFont;
CFontDesc* const kNormalFontSmall = &gNormalFontSmall;
CFontDesc* const kNormalFontSmaller = &gNormalFontSmaller;
CFontDesc* const kNormalFontVerySmall = &gNormalFontVerySmall;
CFontDesc* const kSymbolFont = &gSymbolFont;

CFontDesc::CFontDesc(const char* fontName, CCoord fontSize, int32_t fontStyle)
    : hasName(fontName != nullptr), name(fontName ? fontName : ""), size(fontSize),
      style(fontStyle) {}

CFontDesc::CFontDesc(const CFontDesc& other)
    : CBaseObject(other), hasName(other.hasName), name(other.name), size(other.size),
      style(other.style) {}

CFontDesc::~CFontDesc() {
    freePlatformFont();
}

const char* CFontDesc::getName() const {
    return hasName ? name.c_str() : nullptr;
}

void CFontDesc::setName(const char* newName) {
    const bool same = newName ? (hasName && name == newName) : !hasName;
    if (same)
        return;
    hasName = newName != nullptr;
    name = newName ? newName : "";
    freePlatformFont();
}

void CFontDesc::setSize(CCoord newSize) {
    if (newSize == size)
        return;
    size = newSize;
    freePlatformFont();
}

void CFontDesc::setStyle(int32_t newStyle) {
    if (newStyle == style)
        return;
    style = newStyle;
    freePlatformFont();
}

bool CFontDesc::operator==(const CFontDesc& other) const {
    return hasName == other.hasName && name == other.name && size == other.size &&
           style == other.style;
}

PlatformFont* CFontDesc::getPlatformFont() {  // UI thread
    // A font from an earlier start-up of the library is dead: make a new one.
    if (platformFont && !backend::isFontCurrent(platformFont))
        freePlatformFont();
    if (platformFont || !hasName || GDIPlusGlobals::getGeneration() == 0)
        return platformFont;
    platformFont = backend::createFont(name.c_str(), size, style);
    if (platformFont) {
        nextWithFont = gFirstWithFont;
        previousWithFont = nullptr;
        if (gFirstWithFont)
            gFirstWithFont->previousWithFont = this;
        gFirstWithFont = this;
    }
    return platformFont;
}

void CFontDesc::freePlatformFont() {
    if (!platformFont)
        return;
    if (previousWithFont)
        previousWithFont->nextWithFont = nextWithFont;
    else
        gFirstWithFont = nextWithFont;
    if (nextWithFont)
        nextWithFont->previousWithFont = previousWithFont;
    previousWithFont = nextWithFont = nullptr;
    backend::destroyFont(platformFont);
    platformFont = nullptr;
}

void freeSharedPlatformFonts() {
    for (CFontDesc* font :
         {kSystemFont, kNormalFontVeryBig, kNormalFontBig, kNormalFont, kNormalFontSmall,
          kNormalFontSmaller, kNormalFontVerySmall, kSymbolFont})
        font->freePlatformFont();
}

void freeAllPlatformFonts() {
    while (gFirstWithFont)
        gFirstWithFont->freePlatformFont();
}

}  // namespace VSTGUI
