// Platform fonts of font descriptions, over GDI+.
#include "gui/toolkit/drawingbackend.h"
#include "gui/toolkit/fontdesc.h"
#include "gui/toolkit/gdiplus_win32.h"

#include <cstdlib>

namespace VSTGUI::backend {

namespace {

using namespace Gdiplus;
using namespace Gdiplus::DllExports;

constexpr size_t kMaxFontNameCharacters = 200;

// One style only: underline wins over italic, italic over bold.
INT gdipFontStyle(int32_t style) {
    if (style & kUnderlineFace)
        return FontStyleUnderline;
    if (style & kItalicFace)
        return FontStyleItalic;
    if (style & kBoldFace)
        return FontStyleBold;
    return FontStyleRegular;
}

}  // namespace

PlatformFont* createFont(const char* name, double size, int32_t style) {
    auto* font = gdipCreate<PlatformFont>();
    if (!font || !name)
        return font;
    wchar_t wideName[kMaxFontNameCharacters + 1] = {};
    const size_t converted = std::mbstowcs(wideName, name, kMaxFontNameCharacters);
    if (converted == static_cast<size_t>(-1))
        wideName[0] = L'\0';
    wideName[kMaxFontNameCharacters] = L'\0';  // mbstowcs stops at the limit without one

    GpFontFamily* nativeFamily = nullptr;
    // A missing family leaves the font without a native font.
    if (!font->check(GdipCreateFontFamilyFromName(wideName, nullptr, &nativeFamily)))
        return font;
    auto* family = gdipAdopt<GdipObject<GpFontFamily>>(Ok, nativeFamily);
    if (!family)
        return font;
    font->check(GdipCreateFont(nativeFamily, static_cast<REAL>(size), gdipFontStyle(style),
                               UnitPixel, &font->native));
    gdipDestroy(family);
    return font;
}

void destroyFont(PlatformFont* font) {
    gdipDestroy(font);
}

bool isFontCurrent(const PlatformFont* font) {
    return font && font->isCurrent();
}

}  // namespace VSTGUI::backend
