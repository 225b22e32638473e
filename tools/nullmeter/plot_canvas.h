// What the plot draws with: lines, dots, rectangles and text on a toolkit
// drawing context, which draws with cairo natively and with GDI+ on Windows,
// so that one drawing code makes the same picture on both systems.
// Coordinates are those of the picture: a pixel covers [x, x + 1), its
// centre is at x + 0.5; text is placed by its baseline. UI thread only (the
// toolkit's rule); the tool draws its one plot on the main thread.
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "gui/toolkit/drawcontext.h"
#include "gui/toolkit/fontdesc.h"

namespace nullmeter {

struct Rgb {
    double r, g, b;
};

struct PlotRect {
    double left, top, right, bottom;
    double width() const { return right - left; }
    double height() const { return bottom - top; }
};

struct PlotPoint {
    double x, y;
};

class PlotCanvas {
  public:
    // Draws anti-aliased on `context`, in the first of Arial, Liberation Sans
    // (its metric twin) and DejaVu Sans that has a face.
    explicit PlotCanvas(VSTGUI::CDrawContext& context);
    ~PlotCanvas();
    PlotCanvas(const PlotCanvas&) = delete;
    PlotCanvas& operator=(const PlotCanvas&) = delete;

    // Of lines, fills and text alike.
    void colour(Rgb c);
    void lineWidth(double width);

    void fill(const PlotRect& r);
    // A one-pixel border just inside r.
    void border(const PlotRect& r);
    void line(double x0, double y0, double x1, double y1);
    // One stroke through the points, joined.
    void polyline(const std::vector<PlotPoint>& points);
    void dot(double x, double y, double radius);

    // Drawing outside r is dropped until unclip().
    void clip(const PlotRect& r);
    void unclip();

    enum class Align { Left, Centre, Right };
    // Text that is not valid UTF-8 has its bad bytes drawn as '?'.
    void text(double x, double baseline, const std::string& utf8, double size, bool bold,
              Align align = Align::Left);
    // Left-aligned text shrunk a pixel at a time until it fits `width`
    // (down to 9 pixels).
    void fittedText(double x, double baseline, const std::string& utf8, double size, double width,
                    bool bold);
    // The advance of the text, without the space the toolkit leaves around it.
    double textWidth(const std::string& utf8, double size, bool bold);

  private:
    VSTGUI::CFontDesc* font(int size, bool bold);
    void useFont(int size, bool bold);

    VSTGUI::CDrawContext& context_;
    VSTGUI::CRect unclipped_;
    std::string family_;
    std::map<std::pair<int, bool>, VSTGUI::CFontDesc*> fonts_;
};

// Bytes of `s` that do not form valid UTF-8 (by the strict rules: no
// overlong forms, surrogates or non-characters) become '?'.
std::string validUtf8(const std::string& s);

}  // namespace nullmeter
