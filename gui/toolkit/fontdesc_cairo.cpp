// Platform fonts of font descriptions: faces matched by fontconfig, drawn
// through cairo-ft. A family counts as found when fontconfig matches it to
// itself or to a metric-compatible face ("Arial" to Liberation Sans), never to
// a fallback of another design: such a font measures 0, as under GDI+.
#include "gui/toolkit/cairoobjects_cairo.h"
#include "gui/toolkit/drawingbackend.h"
#include "gui/toolkit/fontdesc.h"

#include <cairo-ft.h>
#include <fontconfig/fontconfig.h>

#include <cmath>
#include <new>

namespace VSTGUI::backend {

namespace {

// Matching through fontconfig costs far more than a draw: each family and
// style is matched once per start-up (null when not found).
std::unordered_map<std::string, cairo_font_face_t*>& faceCache() {
    static std::unordered_map<std::string, cairo_font_face_t*> faces;
    return faces;
}

// The metric aliases bind strongly to the asked family; the generic
// fallbacks fontconfig appends bind weakly.
bool matchesAskedFamily(FcPattern* asked, FcPattern* match) {
    FcChar8* family = nullptr;
    for (int m = 0; FcPatternGetString(match, FC_FAMILY, m, &family) == FcResultMatch; ++m) {
        FcValue value;
        FcValueBinding binding = FcValueBindingWeak;
        for (int a = 0;
             FcPatternGetWithBinding(asked, FC_FAMILY, a, &value, &binding) == FcResultMatch; ++a) {
            if (value.type == FcTypeString && binding == FcValueBindingStrong &&
                FcStrCmpIgnoreCase(value.u.s, family) == 0)
                return true;
        }
    }
    return false;
}

// One style only, as under GDI+: underline wins over italic, italic over bold.
cairo_font_face_t* matchFace(const char* name, int32_t style) {
    FcPattern* pattern = FcPatternCreate();
    if (!pattern)
        return nullptr;
    const bool italic = !(style & kUnderlineFace) && (style & kItalicFace);
    const bool bold = !(style & (kUnderlineFace | kItalicFace)) && (style & kBoldFace);
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(name));
    FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    cairo_font_face_t* face = nullptr;
    if (match && matchesAskedFamily(pattern, match)) {
        face = cairo_ft_font_face_create_for_pattern(match);
        if (cairo_font_face_status(face) != CAIRO_STATUS_SUCCESS) {
            cairo_font_face_destroy(face);
            face = nullptr;
        }
    }
    if (match)
        FcPatternDestroy(match);
    FcPatternDestroy(pattern);
    return face;
}

cairo_font_face_t* faceFor(const char* name, int32_t style) {
    const int32_t styleBits = style & (kBoldFace | kItalicFace | kUnderlineFace);
    std::string key(name);
    key += '\n';
    key += std::to_string(styleBits);
    auto& cache = faceCache();
    const auto kept = cache.find(key);
    if (kept != cache.end())
        return kept->second;
    cairo_font_face_t* face = matchFace(name, styleBits);
    cache.emplace(std::move(key), face);
    return face;
}

// Unhinted metrics: widths and line heights in the same fractional pixels
// as the face's design, so a layout does not depend on the hinting.
cairo_scaled_font_t* scaledFont(cairo_font_face_t* face, double size, cairo_antialias_t antialias) {
    cairo_matrix_t fontMatrix;
    cairo_matrix_t identity;
    cairo_matrix_init_scale(&fontMatrix, size, size);
    cairo_matrix_init_identity(&identity);
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, antialias);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    cairo_scaled_font_t* font = cairo_scaled_font_create(face, &fontMatrix, &identity, options);
    cairo_font_options_destroy(options);
    if (cairo_scaled_font_status(font) != CAIRO_STATUS_SUCCESS) {
        cairo_scaled_font_destroy(font);
        return nullptr;
    }
    return font;
}

void readUnderline(PlatformFont& font, double size) {
    font.underlinePosition = size / 10;
    font.underlineThickness = size / 14;
    FT_Face face = cairo_ft_scaled_font_lock_face(font.smooth);
    if (!face)
        return;
    if (FT_IS_SCALABLE(face) && face->units_per_EM > 0) {
        const double scale = size / face->units_per_EM;
        font.underlinePosition = -face->underline_position * scale;
        if (face->underline_thickness > 0)
            font.underlineThickness = face->underline_thickness * scale;
    }
    cairo_ft_scaled_font_unlock_face(font.smooth);
}

}  // namespace

PlatformFont* createFont(const char* name, double size, int32_t style) {
    const int32_t generation = GDIPlusGlobals::getGeneration();
    if (generation == 0)
        return nullptr;
    auto* font = new (std::nothrow) PlatformFont;
    if (!font)
        return nullptr;
    countDrawingObjectCreated();
    font->generation = generation;
    // GDI+ makes no font of a size that is not positive.
    if (!name || !(size > 0) || !std::isfinite(size))
        return font;
    cairo_font_face_t* face = faceFor(name, style);
    if (!face)
        return font;
    font->smooth = scaledFont(face, size, CAIRO_ANTIALIAS_GRAY);
    font->sharp = scaledFont(face, size, CAIRO_ANTIALIAS_NONE);
    if (!font->smooth || !font->sharp) {
        cairo_scaled_font_destroy(font->smooth);
        cairo_scaled_font_destroy(font->sharp);
        font->smooth = font->sharp = nullptr;
        return font;
    }
    cairo_font_extents_t extents;
    cairo_scaled_font_extents(font->smooth, &extents);
    font->ascent = extents.ascent;
    font->height = extents.height;
    font->padding = size / 6;
    font->underline = (style & kUnderlineFace) != 0;
    if (font->underline)
        readUnderline(*font, size);
    return font;
}

void destroyFont(PlatformFont* font) {
    if (!font)
        return;
    cairo_scaled_font_destroy(font->smooth);
    cairo_scaled_font_destroy(font->sharp);
    delete font;
    countDrawingObjectFreed();
}

bool isFontCurrent(const PlatformFont* font) {
    return font && font->generation == GDIPlusGlobals::getGeneration();
}

const PlatformFont::Shaped* shapeText(PlatformFont* font, const char* utf8Text) {
    if (!font || !font->smooth || !utf8Text)
        return nullptr;
    const auto kept = font->texts.find(utf8Text);
    if (kept != font->texts.end())
        return &kept->second;
    PlatformFont::Shaped shaped;
    cairo_glyph_t* glyphs = nullptr;
    int count = 0;
    // Text that is not UTF-8 fails here and stays without glyphs.
    if (cairo_scaled_font_text_to_glyphs(font->smooth, 0, 0, utf8Text, -1, &glyphs, &count, nullptr,
                                         nullptr, nullptr) == CAIRO_STATUS_SUCCESS &&
        count > 0) {
        cairo_text_extents_t extents;
        cairo_scaled_font_glyph_extents(font->smooth, glyphs, count, &extents);
        shaped.glyphs.assign(glyphs, glyphs + count);
        shaped.width = extents.x_advance;
    }
    cairo_glyph_free(glyphs);
    if (font->texts.size() >= PlatformFont::kMaxKeptTexts)
        font->texts.clear();
    return &font->texts.emplace(utf8Text, std::move(shaped)).first->second;
}

void releaseFontFaces() {
    auto& cache = faceCache();
    for (auto& entry : cache)
        cairo_font_face_destroy(entry.second);
    cache.clear();
}

}  // namespace VSTGUI::backend
