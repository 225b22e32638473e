// The cairo objects behind the drawing layer's platform types. A "device
// context" on this platform is a cairo_surface_t*; images are ARGB32 image
// surfaces; fonts are cairo-ft scaled fonts of faces fontconfig matched.
// Private to the drawing layer. UI thread only.
#pragma once

#include "gui/toolkit/drawingobjects.h"
#include "gui/toolkit/gdiplusglobals.h"

#include <cairo.h>

#include <string>
#include <unordered_map>
#include <vector>

namespace VSTGUI {

// One drawing context: the cairo context and a solid source per brush,
// remade only when a colour changes.
struct PlatformGraphics {
    cairo_t* cairo = nullptr;
    cairo_pattern_t* pen = nullptr;
    cairo_pattern_t* fill = nullptr;
    cairo_pattern_t* font = nullptr;
    uint32_t penColor = 0xff000000;
    uint32_t fillColor = 0xff000000;
    uint32_t fontColor = 0xff000000;
    float penWidth = 1;
    bool dotted = false;
    std::vector<cairo_glyph_t> glyphs;  // scratch of text drawing, kept to spare allocations
};

struct PlatformImage {
    cairo_surface_t* surface = nullptr;  // an image surface, ARGB32
    cairo_pattern_t* pattern = nullptr;  // made on the first draw, moved for each
};

// A font keeps the glyphs and widths of the texts it measured or drew: an
// editor draws the same labels on every redraw. Without a face (a family
// fontconfig has no face or metric-compatible alias for) it measures 0 and
// draws nothing.
struct PlatformFont {
    static constexpr size_t kMaxKeptTexts = 512;
    struct Shaped {
        std::vector<cairo_glyph_t> glyphs;  // positions from the origin of the baseline
        double width = 0;
    };
    int32_t generation = 0;
    cairo_scaled_font_t* smooth = nullptr;  // anti-aliased
    cairo_scaled_font_t* sharp = nullptr;   // not anti-aliased
    double ascent = 0;
    double height = 0;
    // The space GDI+ leaves on each side of a text it measures or draws
    // (a sixth of the em): kept, so that texts placed by their widths sit
    // where they sit on Windows.
    double padding = 0;
    bool underline = false;
    double underlinePosition = 0;  // below the baseline
    double underlineThickness = 0;
    std::unordered_map<std::string, Shaped> texts;
};

namespace backend {
// The glyphs and width of a text in a font with a face; null without one.
const PlatformFont::Shaped* shapeText(PlatformFont* font, const char* utf8Text);
// Drops the faces fontconfig matched, kept across fonts until the shutdown.
void releaseFontFaces();
}  // namespace backend

}  // namespace VSTGUI
