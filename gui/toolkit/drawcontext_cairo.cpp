// Drawing contexts over cairo: graphics with their pen and brushes, state,
// shapes and text. The pixel conventions are those of the GDI+ contexts:
// fills cover whole pixels from the given edges, a pen runs through pixel
// centres (coordinates shifted by half a pixel), new graphics draw aliased.
#include "gui/toolkit/cairoobjects_cairo.h"
#include "gui/toolkit/drawingbackend.h"

#include <cmath>
#include <new>

namespace VSTGUI::backend {

namespace {

constexpr double kPenShift = 0.5;
constexpr double kDegrees = 3.14159265358979323846 / 180.0;

cairo_t* cairoOf(PlatformGraphics* graphics) {
    return graphics ? graphics->cairo : nullptr;
}

cairo_pattern_t* solid(uint32_t argb) {
    const auto channel = [argb](int shift) { return ((argb >> shift) & 0xff) / 255.0; };
    return cairo_pattern_create_rgba(channel(16), channel(8), channel(0), channel(24));
}

// Replaces a brush when its colour changes; the new pattern is made first,
// so a failure keeps the old colour.
void recolour(cairo_pattern_t*& pattern, uint32_t& kept, uint32_t argb) {
    if (pattern && kept == argb)
        return;
    cairo_pattern_t* fresh = solid(argb);
    if (cairo_pattern_status(fresh) != CAIRO_STATUS_SUCCESS) {
        cairo_pattern_destroy(fresh);
        return;
    }
    cairo_pattern_destroy(pattern);
    pattern = fresh;
    kept = argb;
}

// GDI+ dots are as long as the pen is wide, with gaps as long. The pattern
// starts half a pixel in, so that dots of a line through pixel centres
// cover whole pixels.
void applyDash(PlatformGraphics* graphics) {
    cairo_t* cr = graphics->cairo;
    if (graphics->dotted) {
        const double length = std::fmax(std::fabs(graphics->penWidth), 1.0f);
        const double dashes[2] = {length, length};
        cairo_set_dash(cr, dashes, 2, kPenShift);
    } else {
        cairo_set_dash(cr, nullptr, 0, 0);
    }
}

PlatformGraphics* completeGraphics(cairo_t* cr) {
    if (cairo_status(cr) != CAIRO_STATUS_SUCCESS) {
        cairo_destroy(cr);
        return nullptr;
    }
    auto* graphics = new (std::nothrow) PlatformGraphics;
    if (!graphics) {
        cairo_destroy(cr);
        return nullptr;
    }
    countDrawingObjectCreated();
    graphics->cairo = cr;
    recolour(graphics->pen, graphics->penColor, 0xff000000);
    recolour(graphics->fill, graphics->fillColor, 0xff000000);
    recolour(graphics->font, graphics->fontColor, 0xff000000);
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
    cairo_set_line_width(cr, 1);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_MITER);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
    cairo_set_fill_rule(cr, CAIRO_FILL_RULE_EVEN_ODD);  // GDI+'s alternate mode
    return graphics;
}

// Strokes the current path with the pen; the path is cleared either way.
void strokePath(PlatformGraphics* graphics) {
    cairo_t* cr = graphics->cairo;
    if (!graphics->pen || !(graphics->penWidth > 0)) {
        cairo_new_path(cr);
        return;
    }
    cairo_set_source(cr, graphics->pen);
    cairo_stroke(cr);
}

void fillPath(PlatformGraphics* graphics, bool preserve) {
    cairo_t* cr = graphics->cairo;
    if (!graphics->fill) {
        if (!preserve)
            cairo_new_path(cr);
        return;
    }
    cairo_set_source(cr, graphics->fill);
    if (preserve)
        cairo_fill_preserve(cr);
    else
        cairo_fill(cr);
}

void ellipsePath(cairo_t* cr, double x, double y, double width, double height) {
    if (width <= 0 || height <= 0)
        return;
    cairo_save(cr);
    cairo_translate(cr, x + width / 2, y + height / 2);
    cairo_scale(cr, width / 2, height / 2);
    cairo_new_sub_path(cr);
    cairo_arc(cr, 0, 0, 1, 0, 2 * 3.14159265358979323846);
    cairo_close_path(cr);
    cairo_restore(cr);
}

// An elliptic arc in degrees; a positive sweep turns clockwise on screen (y down).
void arcPath(cairo_t* cr, double x, double y, double width, double height, double startAngle,
             double sweepAngle) {
    cairo_save(cr);
    cairo_translate(cr, x + width / 2, y + height / 2);
    cairo_scale(cr, width / 2, height / 2);
    cairo_new_sub_path(cr);
    const double start = startAngle * kDegrees;
    const double end = (startAngle + sweepAngle) * kDegrees;
    if (sweepAngle >= 0)
        cairo_arc(cr, 0, 0, 1, start, end);
    else
        cairo_arc_negative(cr, 0, 0, 1, start, end);
    cairo_restore(cr);
}

}  // namespace

PlatformGraphics* createGraphicsOnDeviceContext(void* deviceContext) {
    auto* surface = static_cast<cairo_surface_t*>(deviceContext);
    if (!surface || cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS)
        return nullptr;
    return completeGraphics(cairo_create(surface));
}

PlatformGraphics* createGraphicsOnImage(PlatformImage* image) {
    if (!image || !image->surface)
        return nullptr;
    return completeGraphics(cairo_create(image->surface));
}

void destroyGraphics(PlatformGraphics* graphics) {
    if (!graphics)
        return;
    // What was drawn reaches the surface's memory before anyone reads it.
    cairo_surface_flush(cairo_get_target(graphics->cairo));
    cairo_pattern_destroy(graphics->pen);
    cairo_pattern_destroy(graphics->fill);
    cairo_pattern_destroy(graphics->font);
    cairo_destroy(graphics->cairo);
    delete graphics;
    countDrawingObjectFreed();
}

void setPenColor(PlatformGraphics* graphics, uint32_t argb) {
    if (graphics)
        recolour(graphics->pen, graphics->penColor, argb);
}

void setFillColor(PlatformGraphics* graphics, uint32_t argb) {
    if (graphics)
        recolour(graphics->fill, graphics->fillColor, argb);
}

void setFontColor(PlatformGraphics* graphics, uint32_t argb) {
    if (graphics)
        recolour(graphics->font, graphics->fontColor, argb);
}

void setPenWidth(PlatformGraphics* graphics, float width) {
    if (!graphics || std::isnan(width))
        return;
    graphics->penWidth = width;
    cairo_set_line_width(graphics->cairo, std::fabs(width));
    if (graphics->dotted)
        applyDash(graphics);
}

void setPenDotted(PlatformGraphics* graphics, bool dotted) {
    if (!graphics)
        return;
    graphics->dotted = dotted;
    applyDash(graphics);
}

void setAntialias(PlatformGraphics* graphics, bool antialias) {
    if (cairo_t* cr = cairoOf(graphics))
        cairo_set_antialias(cr, antialias ? CAIRO_ANTIALIAS_DEFAULT : CAIRO_ANTIALIAS_NONE);
}

void setClip(PlatformGraphics* graphics, int32_t x, int32_t y, int32_t width, int32_t height) {
    cairo_t* cr = cairoOf(graphics);
    if (!cr)
        return;
    cairo_reset_clip(cr);
    cairo_rectangle(cr, x, y, width > 0 ? width : 0, height > 0 ? height : 0);
    cairo_clip(cr);
}

void drawLine(PlatformGraphics* graphics, int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
    cairo_t* cr = cairoOf(graphics);
    if (!cr)
        return;
    // A solid line covers both end pixels, as GDI+ draws it; dots keep flat ends.
    cairo_set_line_cap(cr, graphics->dotted ? CAIRO_LINE_CAP_BUTT : CAIRO_LINE_CAP_SQUARE);
    cairo_move_to(cr, x1 + kPenShift, y1 + kPenShift);
    cairo_line_to(cr, x2 + kPenShift, y2 + kPenShift);
    strokePath(graphics);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_BUTT);
}

void fillRectangle(PlatformGraphics* graphics, float x, float y, float width, float height) {
    cairo_t* cr = cairoOf(graphics);
    if (!cr || !(width > 0) || !(height > 0))
        return;
    cairo_rectangle(cr, x, y, width, height);
    fillPath(graphics, false);
}

void strokeRectangle(PlatformGraphics* graphics, float x, float y, float width, float height) {
    cairo_t* cr = cairoOf(graphics);
    if (!cr || width < 0 || height < 0)
        return;
    cairo_rectangle(cr, x + kPenShift, y + kPenShift, width, height);
    strokePath(graphics);
}

void fillEllipse(PlatformGraphics* graphics, int32_t x, int32_t y, int32_t width, int32_t height) {
    cairo_t* cr = cairoOf(graphics);
    if (!cr)
        return;
    ellipsePath(cr, x, y, width, height);
    fillPath(graphics, false);
}

void strokeEllipse(PlatformGraphics* graphics, int32_t x, int32_t y, int32_t width,
                   int32_t height) {
    cairo_t* cr = cairoOf(graphics);
    if (!cr)
        return;
    ellipsePath(cr, x + kPenShift, y + kPenShift, width, height);
    strokePath(graphics);
}

void drawArc(PlatformGraphics* graphics, float x, float y, float width, float height,
             float startAngle, float sweepAngle, bool fill, bool stroke) {
    cairo_t* cr = cairoOf(graphics);
    if (!cr || (!fill && !stroke) || !(width > 0) || !(height > 0) || !std::isfinite(startAngle) ||
        !std::isfinite(sweepAngle))
        return;
    // More than a full turn draws the full ellipse, as under GDI+.
    sweepAngle = std::fmax(std::fmin(sweepAngle, 360.0f), -360.0f);
    // GDI+ fills a path of an arc as its figure closed by the chord.
    if (fill) {
        arcPath(cr, x, y, width, height, startAngle, sweepAngle);
        cairo_close_path(cr);
        fillPath(graphics, false);
    }
    if (stroke) {
        arcPath(cr, x + kPenShift, y + kPenShift, width, height, startAngle, sweepAngle);
        strokePath(graphics);
    }
}

void drawPolygon(PlatformGraphics* graphics, const FloatPoint* points, int32_t count, bool fill,
                 bool stroke, bool closed) {
    cairo_t* cr = cairoOf(graphics);
    if (!cr || !points || count <= 0)
        return;
    if (fill) {
        for (int32_t i = 0; i < count; ++i)
            cairo_line_to(cr, points[i].x, points[i].y);
        cairo_close_path(cr);
        fillPath(graphics, false);
    }
    if (stroke) {
        for (int32_t i = 0; i < count; ++i)
            cairo_line_to(cr, points[i].x + kPenShift, points[i].y + kPenShift);
        if (closed)
            cairo_close_path(cr);
        strokePath(graphics);
    }
}

double measureStringWidth(PlatformGraphics* graphics, PlatformFont* font, const char* utf8Text) {
    if (!graphics || !utf8Text)
        return -1;
    const PlatformFont::Shaped* shaped = shapeText(font, utf8Text);
    if (!shaped)
        return 0;
    return shaped->glyphs.empty() ? 0 : shaped->width + 2 * font->padding;
}

double fontHeight(PlatformGraphics* graphics, PlatformFont* font) {
    return graphics && font && font->smooth ? font->height : 0;
}

void drawString(PlatformGraphics* graphics, PlatformFont* font, const char* utf8Text, float x,
                float top, bool antialias) {
    cairo_t* cr = cairoOf(graphics);
    if (!cr || !graphics->font)
        return;
    const PlatformFont::Shaped* shaped = shapeText(font, utf8Text);
    if (!shaped || shaped->glyphs.empty())
        return;
    // The layout's top is the top of the line; glyphs sit on its baseline.
    const double baseline = top + font->ascent;
    x += static_cast<float>(font->padding);
    std::vector<cairo_glyph_t>& glyphs = graphics->glyphs;
    glyphs.assign(shaped->glyphs.begin(), shaped->glyphs.end());
    for (cairo_glyph_t& glyph : glyphs) {
        glyph.x += x;
        glyph.y += baseline;
    }
    cairo_set_scaled_font(cr, antialias ? font->smooth : font->sharp);
    cairo_set_source(cr, graphics->font);
    cairo_show_glyphs(cr, glyphs.data(), static_cast<int>(glyphs.size()));
    if (font->underline) {
        cairo_rectangle(cr, x, baseline + font->underlinePosition - font->underlineThickness / 2,
                        shaped->width, font->underlineThickness);
        cairo_fill(cr);
    }
}

}  // namespace VSTGUI::backend
