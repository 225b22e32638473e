#include "gui/toolkit/displaylist.h"

#include "gui/toolkit/bitmap.h"
#include "gui/toolkit/fontdesc.h"

#include <algorithm>
#include <iterator>

namespace VSTGUI {

bool DrawingState::operator==(const DrawingState& other) const {
    return penColor == other.penColor && fillColor == other.fillColor &&
           fontColor == other.fontColor && penWidth == other.penWidth && dotted == other.dotted &&
           antialias == other.antialias && clipX == other.clipX && clipY == other.clipY &&
           clipWidth == other.clipWidth && clipHeight == other.clipHeight;
}

namespace {

bool samePoints(const std::vector<backend::FloatPoint>& a,
                const std::vector<backend::FloatPoint>& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](const backend::FloatPoint& p, const backend::FloatPoint& q) {
                          return p.x == q.x && p.y == q.y;
                      });
}

bool sameFont(const CFontDesc* a, const CFontDesc* b) {
    return a == b || (a && b && *a == *b);
}

// Two fills that differ in nothing but the opacity of their colour.
bool onlyOpacityDiffers(const DisplayItem& a, const DisplayItem& b) {
    if (a.kind != DisplayItem::Kind::fillRectangle || b.kind != DisplayItem::Kind::fillRectangle)
        return false;
    DisplayItem withSameOpacity;
    withSameOpacity.kind = b.kind;
    withSameOpacity.state = b.state;
    withSameOpacity.state.fillColor =
        (b.state.fillColor & 0x00FFFFFFu) | (a.state.fillColor & 0xFF000000u);
    std::copy(std::begin(b.geometry), std::end(b.geometry), withSameOpacity.geometry);
    withSameOpacity.bounds = b.bounds;
    return a.sameDrawing(withSameOpacity);
}

// Blending a colour over itself gives that colour at any opacity: over the
// background, a fill of the background's colour changes nothing, and what it
// changes lies under the earlier items it covers.
void addFadeDamage(DamageRegion& changed, const std::vector<DisplayItem>& items, size_t fade) {
    const CRect& area = items[fade].bounds;
    for (size_t i = 0; i < fade; ++i) {
        CRect under = items[i].bounds;
        under.bound(area);
        changed.add(under);
    }
}

}  // namespace

bool DisplayItem::sameDrawing(const DisplayItem& other) const {
    return kind == other.kind && state == other.state &&
           std::equal(std::begin(geometry), std::end(geometry), std::begin(other.geometry)) &&
           fill == other.fill && stroke == other.stroke && closed == other.closed &&
           antialiasText == other.antialiasText && alpha == other.alpha &&
           samePoints(points, other.points) && text == other.text &&
           sameFont(font.get(), other.font.get()) && bitmap.get() == other.bitmap.get() &&
           bounds == other.bounds;
}

namespace {

// Only the state an item's drawing reads is kept, so that a colour left set
// for other drawing does not make two equal drawings differ.
void keepStateDrawnWith(DisplayItem& item) {
    using Kind = DisplayItem::Kind;
    DrawingState& s = item.state;
    const bool usesPen = item.kind == Kind::line || item.kind == Kind::strokeRectangle ||
                         item.kind == Kind::strokeEllipse ||
                         ((item.kind == Kind::arc || item.kind == Kind::polygon) && item.stroke);
    const bool usesFill = item.kind == Kind::fillRectangle || item.kind == Kind::fillEllipse ||
                          ((item.kind == Kind::arc || item.kind == Kind::polygon) && item.fill);
    if (!usesPen) {
        s.penColor = 0;
        s.penWidth = 1;
        s.dotted = false;
    }
    if (!usesFill)
        s.fillColor = 0;
    if (item.kind != Kind::text)
        s.fontColor = 0;
    else
        s.antialias = false;  // text has its own rendering setting
}

}  // namespace

void DisplayList::add(DisplayItem item) {
    keepStateDrawnWith(item);
    item.bounds.bound(item.state.clip());
    if (item.bounds.isEmpty())
        return;
    list.push_back(std::move(item));
}

size_t sameLeadingItems(const DisplayList& before, const DisplayList& after) {
    const std::vector<DisplayItem>& old = before.items();
    const std::vector<DisplayItem>& now = after.items();
    size_t head = 0;
    while (head < old.size() && head < now.size() && old[head].sameDrawing(now[head]))
        ++head;
    return head;
}

DamageRegion changedAreas(const DisplayList& before, const DisplayList& after,
                          const SurfaceBackground& background) {
    DamageRegion changed;
    const std::vector<DisplayItem>& old = before.items();
    const std::vector<DisplayItem>& now = after.items();
    // The same items at the start and at the end; an item put in or taken
    // out then damages only what lies between.
    const size_t head = sameLeadingItems(before, after);
    size_t tail = 0;
    while (tail < old.size() - head && tail < now.size() - head &&
           old[old.size() - 1 - tail].sameDrawing(now[now.size() - 1 - tail]))
        ++tail;
    const size_t oldEnd = old.size() - tail;
    const size_t nowEnd = now.size() - tail;
    for (size_t i = head; i < std::max(oldEnd, nowEnd); ++i) {
        const DisplayItem* a = i < oldEnd ? &old[i] : nullptr;
        const DisplayItem* b = i < nowEnd ? &now[i] : nullptr;
        if (a && b && a->sameDrawing(*b))
            continue;
        if (a && b && background.uniform && onlyOpacityDiffers(*a, *b) &&
            (b->state.fillColor & 0x00FFFFFFu) == (background.rgb & 0x00FFFFFFu)) {
            addFadeDamage(changed, now, i);
            continue;
        }
        if (a)
            changed.add(a->bounds);
        if (b)
            changed.add(b->bounds);
    }
    return changed;
}

}  // namespace VSTGUI
