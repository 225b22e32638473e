// Numbered font slots of the script and font selection on the current
// drawing context. The glyphs are drawn at 85 % of the requested size while
// the line height follows the requested size, which leaves a gap between
// lines drawn textHeight apart.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "runtime/files.h"

namespace VSTGUI {
class CDrawContext;
class CFontDesc;
}  // namespace VSTGUI

struct TVexmoldFontSlot {
    std::string name;   // family name
    int32_t size = 0;   // font height given to the drawing context
    int32_t style = 0;  // bold 1, italic 2, underline 4
};

class CVexmoldFonts : public CVexmoldFiles {
  public:
    std::map<int32_t, TVexmoldFontSlot> fontSlots;
    double textHeight = 0.0;  // line advance of the selected font
    double fontIndex = 0.0;   // slot selected last

    struct FontHeights {
        double fontHeight;  // may be non-finite; the slot then stores 0
        double lineHeight;  // always finite
    };
    // Glyph height and line height for a requested size: positive sizes are
    // scaled by 0.85, negative ones give the glyph height directly, 0 and NaN
    // mean 16.
    static FontHeights fontHeightsForSize(double size);
    // Style bits from up to four characters packed little-endian into flags:
    // 'b' bold, 'i' italic, 'u' underline.
    static int32_t fontStyleFromFlags(double flags);

    // Fills font slot `index` with the family in string slot `nameSlot`, the
    // size and the style, sets textHeight and selects the font on the drawing
    // context. Answers whether a drawing context took it; the slot and the
    // line height are updated either way.
    bool selectFont(double index, double nameSlot, double size, double flags);

    // The context of the running graphics section, or null outside one (UI
    // thread).
    VSTGUI::CDrawContext* activeDrawContext() const;
    // Font descriptions made so far: one per family name.
    size_t cachedFontCount() const { return fontCache.size(); }

  protected:
    CVexmoldFonts() = default;
    ~CVexmoldFonts();  // releases the font cache

  private:
    bool selectCachedFont(const std::string& name, int32_t size, int32_t style);

    // One font description per family name the graphics section selected,
    // each holding one reference, so a font is made once and not on every
    // draw (UI thread).
    std::vector<VSTGUI::CFontDesc*> fontCache;
};
