// A drawing recorded instead of drawn. Each item is one call into the
// graphics library with everything it depends on (colours, pen, clip, font,
// text, bitmap) in absolute surface coordinates, and the bounds of the pixels
// it can touch. Two recordings of one surface compared item by item give the
// areas that changed; replaying a recording into an area (CDrawContext::replay)
// draws there exactly what drawing the whole recording would.
// A recorded bitmap is held, and its pixels are taken not to change.
// UI thread only.
#pragma once

#include "gui/toolkit/baseobject.h"
#include "gui/toolkit/bitmap.h"
#include "gui/toolkit/damageregion.h"
#include "gui/toolkit/drawingbackend.h"
#include "gui/toolkit/fontdesc.h"
#include "gui/toolkit/geometry.h"

#include <cstdint>
#include <string>
#include <vector>

namespace VSTGUI {

// The library state one item is drawn in; the clip as the library is given it.
struct DrawingState {
    uint32_t penColor = 0;
    uint32_t fillColor = 0;
    uint32_t fontColor = 0;
    float penWidth = 1;
    bool dotted = false;
    bool antialias = false;
    int32_t clipX = 0, clipY = 0, clipWidth = 0, clipHeight = 0;

    CRect clip() const {
        return CRect(clipX, clipY, static_cast<double>(clipX) + clipWidth,
                     static_cast<double>(clipY) + clipHeight);
    }
    bool operator==(const DrawingState& other) const;
};

struct DisplayItem {
    enum class Kind : uint8_t {
        line,
        fillRectangle,
        strokeRectangle,
        fillEllipse,
        strokeEllipse,
        arc,
        polygon,
        text,
        image
    };
    Kind kind = Kind::line;
    DrawingState state;
    // By kind: line x1 y1 x2 y2; rectangles, ellipses x y width height; arc
    // x y width height start sweep; text x top; image x y width height
    // sourceX sourceY.
    double geometry[6] = {};
    bool fill = false, stroke = false, closed = false;  // arcs and polygons
    bool antialiasText = false;
    uint8_t alpha = 255;
    std::vector<backend::FloatPoint> points;
    std::string text;
    HeldRef<CFontDesc> font;
    HeldRef<CBitmap> bitmap;
    CRect bounds;  // absolute, inside the clip; what the item can touch

    bool sameDrawing(const DisplayItem& other) const;
};

class DisplayList {
  public:
    void clear() { list.clear(); }
    bool isEmpty() const { return list.empty(); }
    size_t size() const { return list.size(); }
    const std::vector<DisplayItem>& items() const { return list; }

    // The item's bounds are cut to its clip; an item that can touch nothing
    // is dropped.
    void add(DisplayItem item);

  private:
    std::vector<DisplayItem> list;
};

// How many items at the start of two recordings are the same drawing.
size_t sameLeadingItems(const DisplayList& before, const DisplayList& after);

// The surface under a recording, where one colour is known to lie.
struct SurfaceBackground {
    bool uniform = false;  // filled with one opaque colour before the recording
    uint32_t rgb = 0;      // that colour, 0x00RRGGBB
};

// Where two recordings of one surface differ: item by item in order, the
// bounds of both items wherever they are not the same drawing. A filled
// rectangle of the background's own colour that differs only in its opacity
// (a fade over a picture) changes only the pixels of earlier items under it.
DamageRegion changedAreas(const DisplayList& before, const DisplayList& after,
                          const SurfaceBackground& background = {});

}  // namespace VSTGUI
