#include "tools/nullmeter/plot_canvas.h"

#include <cmath>
#include <new>

namespace nullmeter {
namespace {

using VSTGUI::CColor;
using VSTGUI::CCoord;
using VSTGUI::CPoint;
using VSTGUI::CRect;

// Strokes run through pixel centres in the toolkit (its pens sit at whole
// coordinates, GDI+'s convention): half a pixel off the picture's.
constexpr double kPenShift = 0.5;
// The toolkit leaves a sixth of the size on each side of a text it
// measures or draws, as GDI+ does.
constexpr double kTextPadding = 1.0 / 6;
// The toolkit places text by the bottom of its line; the baseline lies this
// share of the size above it for Arial and its metric twins (line height
// 1.149, ascent 0.905), less the one pixel the toolkit adds.
constexpr double kBelowBaseline = 0.244;
constexpr int kSmallestFittedSize = 9;

constexpr const char* kFamilies[] = {"Arial", "Liberation Sans", "DejaVu Sans"};

std::uint8_t channel(double v) {
    return static_cast<std::uint8_t>(std::lround(std::fmin(std::fmax(v, 0.0), 1.0) * 255));
}

}  // namespace

std::string validUtf8(const std::string& s) {
    std::string out;
    for (std::size_t i = 0; i < s.size();) {
        const auto lead = static_cast<unsigned char>(s[i]);
        const std::size_t length = lead < 0x80           ? 1
                                   : (lead >> 5) == 0x6  ? 2
                                   : (lead >> 4) == 0xE  ? 3
                                   : (lead >> 3) == 0x1E ? 4
                                                         : 0;
        char32_t cp = length == 1 ? lead : lead & (0x7Fu >> length);
        bool ok = length > 0 && i + length <= s.size();
        for (std::size_t j = 1; ok && j < length; ++j) {
            const auto next = static_cast<unsigned char>(s[i + j]);
            ok = (next & 0xC0) == 0x80;
            cp = (cp << 6) | (next & 0x3F);
        }
        constexpr char32_t kShortest[] = {0, 0, 0x80, 0x800, 0x10000};
        ok = ok && cp != 0 && cp >= kShortest[length] && cp < 0x110000 &&
             (cp & 0xFFFFF800) != 0xD800 && (cp < 0xFDD0 || cp > 0xFDEF) && (cp & 0xFFFE) != 0xFFFE;
        if (ok) {
            out.append(s, i, length);
            i += length;
        } else {
            out += '?';
            ++i;
        }
    }
    return out;
}

PlotCanvas::PlotCanvas(VSTGUI::CDrawContext& context) : context_(context) {
    context_.getClipRect(unclipped_);
    context_.setDrawMode(VSTGUI::kAntialias);
    context_.setLineStyle(VSTGUI::kLineSolid);
    // A family without a face measures 0: the first that measures is used
    // (without any, the text is left out and the rest still drawn).
    family_ = kFamilies[0];
    for (const char* family : kFamilies) {
        // On the heap: the context keeps a reference until the next font
        // replaces it, past this loop turn.
        auto* probe = new (std::nothrow) VSTGUI::CFontDesc(family, 12);
        if (!probe)
            break;
        context_.setFont(probe);
        probe->forget();
        if (context_.getStringWidth("0") > 0) {
            family_ = family;
            break;
        }
    }
    context_.setFont(VSTGUI::kSystemFont);
}

PlotCanvas::~PlotCanvas() {
    context_.setFont(VSTGUI::kSystemFont);
    for (auto& [key, font] : fonts_)
        font->forget();
}

VSTGUI::CFontDesc* PlotCanvas::font(int size, bool bold) {
    const auto key = std::make_pair(size, bold);
    const auto found = fonts_.find(key);
    if (found != fonts_.end())
        return found->second;
    auto* made = new (std::nothrow)
        VSTGUI::CFontDesc(family_.c_str(), size, bold ? VSTGUI::kBoldFace : VSTGUI::kNormalFace);
    if (!made)
        return nullptr;
    fonts_.emplace(key, made);
    return made;
}

void PlotCanvas::useFont(int size, bool bold) {
    if (VSTGUI::CFontDesc* f = font(size, bold))
        context_.setFont(f);
}

void PlotCanvas::colour(Rgb c) {
    const CColor colour{channel(c.r), channel(c.g), channel(c.b), 255};
    context_.setFrameColor(colour);
    context_.setFillColor(colour);
    context_.setFontColor(colour);
}

void PlotCanvas::lineWidth(double width) {
    context_.setLineWidth(width);
}

void PlotCanvas::fill(const PlotRect& r) {
    context_.drawRect(CRect(r.left, r.top, r.right, r.bottom), VSTGUI::kDrawFilled);
}

void PlotCanvas::border(const PlotRect& r) {
    context_.drawRect(CRect(r.left, r.top, r.right, r.bottom), VSTGUI::kDrawStroked);
}

void PlotCanvas::line(double x0, double y0, double x1, double y1) {
    polyline({{x0, y0}, {x1, y1}});
}

void PlotCanvas::polyline(const std::vector<PlotPoint>& points) {
    if (points.size() < 2)
        return;
    std::vector<CPoint> shifted;
    shifted.reserve(points.size());
    for (const PlotPoint& p : points)
        shifted.emplace_back(p.x - kPenShift, p.y - kPenShift);
    context_.drawPolygon(shifted.data(), static_cast<int32_t>(shifted.size()), VSTGUI::kDrawStroked,
                         false);
}

// A ring half the radius across, stroked as wide as the radius: a disc
// drawn by the pen, which both backends place alike (their fills differ
// by half a pixel off the pixel grid).
void PlotCanvas::dot(double x, double y, double radius) {
    constexpr int kCorners = 16;
    constexpr double kTurn = 6.283185307179586;
    std::vector<CPoint> ring;
    ring.reserve(kCorners);
    for (int i = 0; i < kCorners; ++i)
        ring.emplace_back(x - kPenShift + radius / 2 * std::cos(kTurn * i / kCorners),
                          y - kPenShift + radius / 2 * std::sin(kTurn * i / kCorners));
    const CCoord width = context_.getLineWidth();
    context_.setLineWidth(radius);
    context_.drawPolygon(ring.data(), kCorners, VSTGUI::kDrawStroked, true);
    context_.setLineWidth(width);
}

void PlotCanvas::clip(const PlotRect& r) {
    context_.setClipRect(CRect(r.left, r.top, r.right, r.bottom));
}

void PlotCanvas::unclip() {
    context_.setClipRect(unclipped_);
}

double PlotCanvas::textWidth(const std::string& utf8, double size, bool bold) {
    const int pixels = static_cast<int>(std::lround(size));
    useFont(pixels, bold);
    const CCoord measured = context_.getStringWidth(validUtf8(utf8).c_str());
    return measured > 0 ? std::fmax(measured - 2 * kTextPadding * pixels, 0.0) : 0.0;
}

void PlotCanvas::text(double x, double baseline, const std::string& utf8, double size, bool bold,
                      Align align) {
    const std::string valid = validUtf8(utf8);
    const int pixels = static_cast<int>(std::lround(size));
    const double width = align == Align::Left ? 0 : textWidth(valid, pixels, bold);
    useFont(pixels, bold);
    const double left = align == Align::Left    ? x
                        : align == Align::Right ? x - width
                                                : x - width / 2;
    context_.drawString(valid.c_str(), CPoint(left - kTextPadding * pixels,
                                              baseline + kBelowBaseline * pixels - 1));
}

void PlotCanvas::fittedText(double x, double baseline, const std::string& utf8, double size,
                            double width, bool bold) {
    int pixels = static_cast<int>(std::lround(size));
    while (pixels > kSmallestFittedSize && textWidth(utf8, pixels, bold) > width)
        --pixels;
    text(x, baseline, utf8, pixels, bold);
}

}  // namespace nullmeter
