// Points, rectangles and colours of the toolkit. Coordinates are doubles; a
// rectangle is left, top, right, bottom and is empty when its width or height
// is not positive. Point-in-rectangle tests are inclusive on all four sides.
#pragma once

#include <algorithm>
#include <cstdint>

namespace VSTGUI {

using CCoord = double;

struct CPoint {
    CCoord x = 0;
    CCoord y = 0;

    constexpr CPoint() = default;
    constexpr CPoint(CCoord px, CCoord py) : x(px), y(py) {}

    CPoint& offset(CCoord dx, CCoord dy) {
        x += dx;
        y += dy;
        return *this;
    }
    bool operator==(const CPoint& other) const { return x == other.x && y == other.y; }
    bool operator!=(const CPoint& other) const { return !(*this == other); }
};

struct CRect {
    CCoord left = 0;
    CCoord top = 0;
    CCoord right = 0;
    CCoord bottom = 0;

    constexpr CRect() = default;
    constexpr CRect(CCoord l, CCoord t, CCoord r, CCoord b)
        : left(l), top(t), right(r), bottom(b) {}
    constexpr CRect(const CPoint& origin, CCoord width, CCoord height)
        : left(origin.x), top(origin.y), right(origin.x + width), bottom(origin.y + height) {}

    CCoord width() const { return right - left; }
    CCoord height() const { return bottom - top; }
    CPoint topLeft() const { return {left, top}; }
    bool isEmpty() const { return width() <= 0 || height() <= 0; }

    CRect& offset(CCoord dx, CCoord dy) {
        left += dx;
        right += dx;
        top += dy;
        bottom += dy;
        return *this;
    }
    // Keeps the size and moves the top-left corner to (x, y).
    CRect& moveTo(CCoord x, CCoord y) { return offset(x - left, y - top); }
    CRect& setWidth(CCoord width) {
        right = left + width;
        return *this;
    }
    CRect& setHeight(CCoord height) {
        bottom = top + height;
        return *this;
    }
    // Intersection; collapses to an empty rectangle when there is no overlap.
    CRect& bound(const CRect& other) {
        left = std::max(left, other.left);
        top = std::max(top, other.top);
        right = std::min(right, other.right);
        bottom = std::min(bottom, other.bottom);
        if (right < left)
            right = left;
        if (bottom < top)
            bottom = top;
        return *this;
    }
    // Left <= right and top <= bottom.
    CRect& normalize() {
        if (left > right)
            std::swap(left, right);
        if (top > bottom)
            std::swap(top, bottom);
        return *this;
    }
    bool pointInside(const CPoint& p) const {
        return p.x >= left && p.x <= right && p.y >= top && p.y <= bottom;
    }
    bool rectOverlap(const CRect& other) const {
        return right >= other.left && left <= other.right && bottom >= other.top &&
               top <= other.bottom;
    }
    bool operator==(const CRect& other) const {
        return left == other.left && top == other.top && right == other.right &&
               bottom == other.bottom;
    }
    bool operator!=(const CRect& other) const { return !(*this == other); }
};

// Four bytes red, green, blue, alpha (as one little-endian 32-bit value red is
// the low byte).
struct CColor {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    uint8_t alpha = 255;

    bool operator==(const CColor& other) const {
        return red == other.red && green == other.green && blue == other.blue &&
               alpha == other.alpha;
    }
    bool operator!=(const CColor& other) const { return !(*this == other); }
    // The ARGB value GDI+ takes.
    constexpr uint32_t argb() const {
        return (uint32_t{alpha} << 24) | (uint32_t{red} << 16) | (uint32_t{green} << 8) | blue;
    }
};

constexpr CColor kBlackCColor{0, 0, 0, 255};
constexpr CColor kWhiteCColor{255, 255, 255, 255};
constexpr CColor kTransparentCColor{255, 255, 255, 0};

}  // namespace VSTGUI
