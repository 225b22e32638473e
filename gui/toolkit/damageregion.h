// The areas of a surface that must be drawn again: whole-pixel rectangles.
// Rectangles that overlap enough to cost less drawn as one are merged; past a
// few rectangles everything becomes their common bounds, since each area is a
// separate pass over the drawing.
#pragma once

#include "gui/toolkit/geometry.h"

#include <cstddef>
#include <vector>

namespace VSTGUI {

class DamageRegion {
  public:
    static constexpr size_t kMaxRects = 8;

    // Grown outwards to whole pixels; empty or non-finite rectangles are ignored.
    void add(const CRect& rect);
    void add(const DamageRegion& other);
    // Keeps only what lies inside area.
    void clipTo(const CRect& area);
    void clear() { rects.clear(); }

    bool isEmpty() const { return rects.empty(); }
    const std::vector<CRect>& getRects() const { return rects; }
    // The smallest rectangle holding every area; empty when there is none.
    CRect bounds() const;
    // Sum of the areas (overlaps are not merged away, so counted twice).
    double area() const;

  private:
    void merge(CRect rect);
    std::vector<CRect> rects;
};

}  // namespace VSTGUI
