#include "runtime/graphics/fonts.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <new>

#include "gui/toolkit/drawcontext.h"
#include "gui/toolkit/fontdesc.h"
#include "runtime/paths.h"
#include "runtime/scriptvalue.h"

namespace {
constexpr double kGlyphScale = 0.85;
constexpr double kDefaultFontHeight = 16.0;
// Tried when a family cannot be selected at all.
const char* const kFallbackFamily = "verdana";
}  // namespace

CVexmoldFonts::FontHeights CVexmoldFonts::fontHeightsForSize(double size) {
    double fontHeight = 0.0;
    double lineHeight = 0.0;
    if (size > 0) {
        fontHeight = std::max(size * kGlyphScale, 1.0);
        lineHeight = (size * kGlyphScale) / kGlyphScale;
    } else if (size < 0 && std::isfinite(size)) {
        fontHeight = std::max(-size, 1.0);
        lineHeight = -size / kGlyphScale;
    } else if (size < 0) {  // minus infinity
        fontHeight = 1.0;
        lineHeight = 0.0;
    } else {  // 0 or NaN
        fontHeight = kDefaultFontHeight;
        lineHeight = kDefaultFontHeight / kGlyphScale;
    }
    return {fontHeight, vexmold::finiteOrZero(lineHeight)};
}

int32_t CVexmoldFonts::fontStyleFromFlags(double flags) {
    const uint32_t packed = static_cast<uint32_t>(vexmold::scriptIndex(flags));
    int32_t style = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        const char c = static_cast<char>((packed >> shift) & 0xFF);
        if (c == 'b')
            style |= VSTGUI::kBoldFace;
        else if (c == 'i')
            style |= VSTGUI::kItalicFace;
        else if (c == 'u')
            style |= VSTGUI::kUnderlineFace;
    }
    return style;
}

CVexmoldFonts::~CVexmoldFonts() {
    for (VSTGUI::CFontDesc* font : fontCache)
        font->forget();
}

VSTGUI::CDrawContext* CVexmoldFonts::activeDrawContext() const {
    const TVexmoldGraphicsPass* pass = graphicsPass();
    return pass ? pass->context : nullptr;
}

bool CVexmoldFonts::selectFont(double index, double nameSlot, double size, double flags) {
    fontIndex = vexmold::finiteOrZero(index);
    const FontHeights heights = fontHeightsForSize(size);
    textHeight = heights.lineHeight;

    TVexmoldFontSlot& slot = fontSlots[vexmold::scriptIndex(fontIndex)];
    slot.name = stringSlot(nameSlot);
    slot.size = std::isfinite(heights.fontHeight) ? vexmold::scriptIndex(heights.fontHeight) : 0;
    slot.style = fontStyleFromFlags(flags);

    if (selectCachedFont(slot.name, slot.size, slot.style))
        return true;
    return selectCachedFont(kFallbackFamily, slot.size, slot.style);
}

bool CVexmoldFonts::selectCachedFont(const std::string& name, int32_t size, int32_t style) {
    VSTGUI::CDrawContext* context = activeDrawContext();
    if (!context)
        return false;
    std::vector<VSTGUI::CFontDesc*>& cache = fontCache;
    for (auto it = cache.rbegin(); it != cache.rend(); ++it) {
        const char* cachedName = (*it)->getName();
        if (vexmold::textEqualsIgnoreCase(cachedName ? cachedName : "", name)) {
            context->setFont(*it, size, style);
            return true;
        }
    }
    auto* font = new (std::nothrow) VSTGUI::CFontDesc(name.c_str(), size, style);
    if (!font)
        return false;
    cache.push_back(font);  // the cache holds the description's one reference
    context->setFont(font, size, style);
    return true;
}
