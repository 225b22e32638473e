#include "gui/toolkit/damageregion.h"

#include <cmath>

namespace VSTGUI {

namespace {

double areaOf(const CRect& r) {
    return r.isEmpty() ? 0.0 : r.width() * r.height();
}

CRect unionOf(const CRect& a, const CRect& b) {
    return CRect(std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
                 std::max(a.bottom, b.bottom));
}

// Two areas are drawn as one when their union costs no more than both apart.
bool worthMerging(const CRect& a, const CRect& b) {
    return areaOf(unionOf(a, b)) <= areaOf(a) + areaOf(b);
}

}  // namespace

void DamageRegion::add(const CRect& rect) {
    if (!std::isfinite(rect.left) || !std::isfinite(rect.top) || !std::isfinite(rect.right) ||
        !std::isfinite(rect.bottom))
        return;
    CRect snapped(std::floor(rect.left), std::floor(rect.top), std::ceil(rect.right),
                  std::ceil(rect.bottom));
    if (snapped.isEmpty())
        return;
    merge(snapped);
}

void DamageRegion::add(const DamageRegion& other) {
    for (const CRect& rect : other.rects)
        merge(rect);
}

void DamageRegion::merge(CRect rect) {
    // A merged rectangle may now be worth merging with one passed earlier.
    for (bool merged = true; merged;) {
        merged = false;
        for (size_t i = 0; i < rects.size(); ++i) {
            if (worthMerging(rects[i], rect)) {
                rect = unionOf(rects[i], rect);
                rects.erase(rects.begin() + static_cast<std::ptrdiff_t>(i));
                merged = true;
                break;
            }
        }
    }
    rects.push_back(rect);
    if (rects.size() > kMaxRects) {
        const CRect all = bounds();
        rects.assign(1, all);
    }
}

void DamageRegion::clipTo(const CRect& area) {
    std::vector<CRect> kept;
    for (CRect rect : rects) {
        rect.bound(area);
        if (!rect.isEmpty())
            kept.push_back(rect);
    }
    rects.swap(kept);
}

CRect DamageRegion::bounds() const {
    if (rects.empty())
        return CRect();
    CRect all = rects.front();
    for (const CRect& rect : rects)
        all = unionOf(all, rect);
    return all;
}

double DamageRegion::area() const {
    double sum = 0;
    for (const CRect& rect : rects)
        sum += areaOf(rect);
    return sum;
}

}  // namespace VSTGUI
