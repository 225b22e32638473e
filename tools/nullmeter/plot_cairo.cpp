#include "tools/nullmeter/plot.h"

#include <cairo.h>
#include <dlfcn.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <limits>
#include <memory>
#include <new>
#include <system_error>

namespace nullmeter {
namespace files = plux::files;
namespace {

constexpr int kWidth = 1000;
constexpr int kHeight = 700;
constexpr const char* kFont = "DejaVu Sans";

// dB range of both panels; anything lower (digital silence is -400) sits on
// the bottom edge.
constexpr double kTopDb = 0;
constexpr double kBottomDb = -160;
constexpr double kLowestFrequency = 20;
constexpr double kPi = 3.14159265358979323846;

struct Rgb {
    double r, g, b;
};

// Inputs in cool colours, residuals in warm ones, so the two groups read
// apart whatever the channel count.
constexpr Rgb kInputColours[] = {
    {0.10, 0.35, 0.85}, {0.10, 0.60, 0.25}, {0.45, 0.25, 0.75}, {0.00, 0.55, 0.60}};
constexpr Rgb kResidualColours[] = {
    {0.85, 0.10, 0.10}, {0.95, 0.55, 0.00}, {0.80, 0.10, 0.60}, {0.55, 0.30, 0.10}};
constexpr Rgb kInk = {0.10, 0.10, 0.10};
constexpr Rgb kGrid = {0.88, 0.88, 0.88};

struct Rect {
    double left, top, right, bottom;
    double width() const { return right - left; }
    double height() const { return bottom - top; }
};

constexpr Rect kLevelPanel = {70, 80, 760, 330};
constexpr Rect kSpectrumPanel = {70, 405, 760, 655};
// Below those when there are band readings; the image grows to hold them.
constexpr Rect kGainPanel = {70, 735, 760, 895};
constexpr Rect kPhasePanel = {70, 965, 760, 1075};
constexpr int kHeightWithBands = 1130;
constexpr double kLegendLeft = 780;

struct SurfaceDeleter {
    void operator()(cairo_surface_t* s) const { cairo_surface_destroy(s); }
};
struct ContextDeleter {
    void operator()(cairo_t* c) const { cairo_destroy(c); }
};
struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

void setColour(cairo_t* cr, Rgb c) {
    cairo_set_source_rgb(cr, c.r, c.g, c.b);
}

// Cairo refuses text that is not valid UTF-8 by its rules (and then draws
// nothing more), while titles come from file names: such bytes become '?'.
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

void font(cairo_t* cr, double size, bool bold) {
    cairo_select_font_face(cr, kFont, CAIRO_FONT_SLANT_NORMAL,
                           bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, size);
}

double advance(cairo_t* cr, const std::string& s) {
    cairo_text_extents_t e;
    cairo_text_extents(cr, s.c_str(), &e);
    return e.x_advance;
}

// Text shrunk until it fits `width` (down to a legible minimum).
void fittedText(cairo_t* cr, double x, double y, const std::string& s, double size, double width,
                bool bold) {
    const std::string valid = validUtf8(s);
    for (font(cr, size, bold); size > 9 && advance(cr, valid) > width; font(cr, size, bold))
        size -= 1;
    cairo_move_to(cr, x, y);
    cairo_show_text(cr, valid.c_str());
}

void text(cairo_t* cr, double x, double y, const std::string& s, double size, bool bold = false) {
    fittedText(cr, x, y, s, size, kWidth, bold);
}

// Anchored at its right end or centred on x.
void alignedText(cairo_t* cr, double x, double y, const std::string& s, double size, bool centred) {
    font(cr, size, false);
    const double width = advance(cr, s);
    cairo_move_to(cr, centred ? x - width / 2 : x - width, y);
    cairo_show_text(cr, s.c_str());
}

void line(cairo_t* cr, double x0, double y0, double x1, double y1) {
    cairo_move_to(cr, x0, y0);
    cairo_line_to(cr, x1, y1);
    cairo_stroke(cr);
}

// A panel's border, its title above and its unit up the left side.
void panelFrame(cairo_t* cr, const Rect& p, const std::string& title, const std::string& unit) {
    cairo_rectangle(cr, p.left + 0.5, p.top + 0.5, p.width() - 1, p.height() - 1);
    cairo_stroke(cr);
    text(cr, p.left, p.top - 8, title, 13, true);
    cairo_save(cr);
    cairo_translate(cr, 22, p.top + p.height() / 2);
    cairo_rotate(cr, -kPi / 2);
    alignedText(cr, 0, 0, unit, 11, true);
    cairo_restore(cr);
}

double dbToY(const Rect& p, double db) {
    const double clamped = std::clamp(db, kBottomDb, kTopDb);
    return p.top + (kTopDb - clamped) / (kTopDb - kBottomDb) * p.height();
}

// Frame, dB grid and labels shared by both panels.
void drawDbAxis(cairo_t* cr, const Rect& p, const std::string& title) {
    cairo_set_line_width(cr, 1);
    for (double db = kTopDb; db >= kBottomDb; db -= 20) {
        const double y = std::round(dbToY(p, db)) + 0.5;
        setColour(cr, kGrid);
        line(cr, p.left, y, p.right, y);
        setColour(cr, kInk);
        char label[16];
        std::snprintf(label, sizeof label, "%.0f", db);
        alignedText(cr, p.left - 6, y + 4, label, 11, false);
    }
    setColour(cr, kInk);
    panelFrame(cr, p, title, "dB FS");
    // Clamped values are otherwise indistinguishable from real ones there.
    setColour(cr, {0.4, 0.4, 0.4});
    text(cr, kLegendLeft, p.bottom - 18, "bottom edge: -160 dB or less,", 10);
    text(cr, kLegendLeft, p.bottom - 4, "including digital silence", 10);
}

void drawXTick(cairo_t* cr, const Rect& p, double x, const std::string& label) {
    const double px = std::round(x) + 0.5;
    setColour(cr, kGrid);
    line(cr, px, p.top + 1, px, p.bottom - 1);
    setColour(cr, kInk);
    line(cr, px, p.bottom, px, p.bottom + 4);
    alignedText(cr, px, p.bottom + 16, label, 11, true);
}

// A polyline through the points; NaN values and positions break it, and a
// point with no neighbour becomes a dot.
template <typename XOf>
void drawSeries(cairo_t* cr, const Rect& p, const std::vector<double>& values, std::size_t count,
                XOf xOf, Rgb colour) {
    setColour(cr, colour);
    cairo_set_line_width(cr, 1.5);
    double lastX = 0, lastY = 0;
    int run = 0;
    auto close = [&] {
        if (run == 1) {
            cairo_new_path(cr);
            cairo_arc(cr, lastX, lastY, 2, 0, 2 * kPi);
            cairo_fill(cr);
        } else if (run > 1) {
            cairo_stroke(cr);
        }
        run = 0;
    };
    for (std::size_t i = 0; i < count; ++i) {
        const double x = xOf(i);
        const double v = values[i];
        if (!std::isfinite(x) || std::isnan(v)) {
            close();
            continue;
        }
        const double y = dbToY(p, v);
        if (run++ > 0)
            cairo_line_to(cr, x, y);
        else
            cairo_move_to(cr, x, y);
        lastX = x;
        lastY = y;
    }
    close();
}

// A level per window, held across the window: a flat step from the previous
// window's end (0 for the first) to its own, joined to the next by a riser.
template <typename XOf>
void drawSteps(cairo_t* cr, const Rect& p, const std::vector<double>& values,
               const std::vector<double>& ends, XOf xOf, Rgb colour) {
    setColour(cr, colour);
    cairo_set_line_width(cr, 1.5);
    const std::size_t count = std::min(values.size(), ends.size());
    bool open = false;
    double start = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const double end = ends[i];
        const double v = values[i];
        if (!std::isfinite(end) || std::isnan(v)) {
            if (open)
                cairo_stroke(cr);
            open = false;
        } else {
            const double y = dbToY(p, v);
            if (open)
                cairo_line_to(cr, xOf(start), y);
            else
                cairo_move_to(cr, xOf(start), y);
            cairo_line_to(cr, xOf(end), y);
            open = true;
        }
        if (std::isfinite(end))
            start = end;
    }
    if (open)
        cairo_stroke(cr);
}

// Legend to the right of a panel: inputs first, then residuals.
void drawLegend(cairo_t* cr, const Rect& p, const std::vector<Series>& inputs,
                const std::vector<Series>& residuals) {
    const int maxRows = static_cast<int>((p.height() - 40) / 16) - 1;  // above the note
    int row = 0;
    const std::size_t total = inputs.size() + residuals.size();
    for (std::size_t i = 0; i < total; ++i) {
        const bool input = i < inputs.size();
        const Series& s = input ? inputs[i] : residuals[i - inputs.size()];
        const std::size_t k = input ? i : i - inputs.size();
        if (row == maxRows) {
            setColour(cr, kInk);
            text(cr, kLegendLeft, p.top + 12 + 16 * row, "+ " + std::to_string(total - i) + " more",
                 11);
            return;
        }
        const double y = p.top + 12 + 16 * row;
        setColour(cr, input ? kInputColours[k % 4] : kResidualColours[k % 4]);
        cairo_set_line_width(cr, 3);
        line(cr, kLegendLeft, y - 4, kLegendLeft + 22, y - 4);
        setColour(cr, kInk);
        fittedText(cr, kLegendLeft + 28, y, s.label, 11, kWidth - kLegendLeft - 34, false);
        ++row;
    }
}

// Step of 1, 2 or 5 times a power of ten giving about eight ticks.
double niceStep(double range) {
    const double raw = range / 8;
    const double magnitude = std::pow(10, std::floor(std::log10(raw)));
    const double n = raw / magnitude;
    return (n < 1.5 ? 1 : n < 3.5 ? 2 : n < 7.5 ? 5 : 10) * magnitude;
}

void drawLevelPanel(cairo_t* cr, const PlotData& d) {
    const Rect& p = kLevelPanel;
    drawDbAxis(cr, p, "Level per window");
    double end = 0;
    for (double t : d.windowEndSeconds)
        if (std::isfinite(t))
            end = std::max(end, t);
    if (!(end > 0))
        end = 1;
    const double step = niceStep(end);
    const int decimals = std::max(0, static_cast<int>(-std::floor(std::log10(step) + 1e-9)));
    auto xAt = [&](double t) { return p.left + t / end * p.width(); };
    for (int i = 0; i * step <= end * (1 + 1e-9); ++i) {
        char label[32];
        std::snprintf(label, sizeof label, "%.*f", decimals, i * step);
        drawXTick(cr, p, xAt(i * step), label);
    }
    alignedText(cr, p.left + p.width() / 2, p.bottom + 34, "time (s)", 11, true);

    auto drawGroup = [&](const std::vector<Series>& group, const Rgb* colours) {
        for (std::size_t k = 0; k < group.size(); ++k) {
            drawSteps(cr, p, group[k].values, d.windowEndSeconds, xAt, colours[k % 4]);
        }
    };
    drawGroup(d.inputLevels, kInputColours);
    drawGroup(d.residualLevels, kResidualColours);
    drawLegend(cr, p, d.inputLevels, d.residualLevels);
}

std::string frequencyLabel(double f) {
    char label[32];
    if (f >= 1000)
        std::snprintf(label, sizeof label, "%gk", f / 1000);
    else
        std::snprintf(label, sizeof label, "%g", f);
    return label;
}

// Log frequency from 20 Hz (or a tenth of Nyquist) to Nyquist across a
// panel, ticked at 1, 2 and 5 times the powers of ten.
struct FrequencyAxis {
    double left, width, nyquist, low, span;
    FrequencyAxis(const Rect& p, double sampleRate)
        : left(p.left), width(p.width()), nyquist(sampleRate / 2),
          low(std::min(kLowestFrequency, nyquist / 10)), span(std::log(nyquist / low)) {}
    double x(double f) const { return left + std::log(f / low) / span * width; }
};

void drawFrequencyAxis(cairo_t* cr, const Rect& p, const FrequencyAxis& axis) {
    for (double decade = std::pow(10, std::floor(std::log10(axis.low))); decade <= axis.nyquist;
         decade *= 10) {
        for (double m : {1.0, 2.0, 5.0}) {
            const double f = decade * m;
            if (f >= axis.low * (1 - 1e-9) && f <= axis.nyquist * (1 + 1e-9))
                drawXTick(cr, p, axis.x(f), frequencyLabel(f));
        }
    }
    alignedText(cr, p.left + p.width() / 2, p.bottom + 34, "frequency (Hz)", 11, true);
}

void drawSpectrumPanel(cairo_t* cr, const PlotData& d) {
    const Rect& p = kSpectrumPanel;
    drawDbAxis(cr, p, "Spectrum");
    const FrequencyAxis axis(p, d.sampleRate);
    const double low = axis.low;
    auto xAt = [&](double f) { return axis.x(f); };
    drawFrequencyAxis(cr, p, axis);

    const double binWidth = d.fftSize > 0 ? d.sampleRate / d.fftSize : 0;
    auto drawGroup = [&](const std::vector<Series>& group, const Rgb* colours) {
        for (std::size_t k = 0; k < group.size(); ++k) {
            const std::vector<double>& v = group[k].values;
            const auto bins = static_cast<std::size_t>(d.fftSize / 2 + 1);
            const std::size_t count = std::min(v.size(), bins);
            // Bins below the axis's lowest frequency are not drawn.
            drawSeries(
                cr, p, v, count,
                [&](std::size_t i) {
                    const double f = static_cast<double>(i) * binWidth;
                    return f >= low ? xAt(f) : std::numeric_limits<double>::quiet_NaN();
                },
                colours[k % 4]);
        }
    };
    drawGroup(d.inputSpectra, kInputColours);
    drawGroup(d.residualSpectra, kResidualColours);
    drawLegend(cr, p, d.inputSpectra, d.residualSpectra);
}

bool hasBands(const PlotData& d) {
    return std::any_of(d.bands.begin(), d.bands.end(),
                       [](const std::vector<BandReading>& c) { return !c.empty(); });
}

double toY(const Rect& p, double v, double top) {
    return p.top + (top - std::clamp(v, -top, top)) / (2 * top) * p.height();
}

// A panel of values symmetric about 0, +-top, gridded every `step`.
void drawValueAxis(cairo_t* cr, const Rect& p, const std::string& title, const char* unit,
                   double top, double step) {
    cairo_set_line_width(cr, 1);
    for (int i = -static_cast<int>(std::lround(top / step)); i * step <= top * (1 + 1e-9); ++i) {
        const double y = std::round(toY(p, i * step, top)) + 0.5;
        setColour(cr, i == 0 ? Rgb{0.7, 0.7, 0.7} : kGrid);
        line(cr, p.left, y, p.right, y);
        setColour(cr, kInk);
        char label[16];
        std::snprintf(label, sizeof label, "%g", i * step);
        alignedText(cr, p.left - 6, y + 4, label, 11, false);
    }
    panelFrame(cr, p, title, unit);
}

// Each band as a level across its width, a channel per colour; bands where A
// is silent are left out, values beyond the range sit on the edge.
void drawBandValues(cairo_t* cr, const Rect& p, const PlotData& d, const FrequencyAxis& axis,
                    double top, double (*value)(const BandReading&)) {
    cairo_save(cr);
    cairo_rectangle(cr, p.left, p.top, p.width(), p.height());
    cairo_clip(cr);
    for (std::size_t c = 0; c < d.bands.size(); ++c) {
        setColour(cr, kInputColours[c % 4]);
        cairo_set_line_width(cr, 2.5);
        for (const BandReading& b : d.bands[c]) {
            if (!(b.aDb > -400.0) || !(b.highHz > axis.low))
                continue;
            const double v = value(b);
            if (!std::isfinite(v))
                continue;
            const double y = toY(p, v, top);
            line(cr, axis.x(std::max(b.lowHz, axis.low)), y, axis.x(b.highHz), y);
            cairo_arc(cr, axis.x(b.centreHz), y, 2.5, 0, 2 * kPi);
            cairo_fill(cr);
        }
    }
    cairo_restore(cr);
}

void drawBandPanels(cairo_t* cr, const PlotData& d) {
    // The gain range: the smallest of 0.1, 0.2, 0.5, 1, 2, 5 ... dB that
    // holds every band where B is not silent.
    double largest = 0;
    for (const auto& channel : d.bands)
        for (const BandReading& b : channel)
            if (b.aDb > -400.0 && b.gainDb > -400.0 && std::isfinite(b.gainDb))
                largest = std::max(largest, std::fabs(b.gainDb));
    double top = 0.1;
    for (int i = 0; top < largest * 1.05 && top < 100; ++i)
        top *= i % 3 == 1 ? 2.5 : 2;
    const std::vector<Series> legend = [&] {
        std::vector<Series> s;
        for (std::size_t c = 0; c < d.bands.size(); ++c)
            s.push_back({d.bands.size() > 1 ? "B / A ch " + std::to_string(c + 1) : "B / A", {}});
        return s;
    }();

    const FrequencyAxis gainAxis(kGainPanel, d.sampleRate);
    drawValueAxis(cr, kGainPanel, "Gain of B against A per band", "dB", top, top / 2);
    drawFrequencyAxis(cr, kGainPanel, gainAxis);
    drawBandValues(cr, kGainPanel, d, gainAxis, top, [](const BandReading& b) { return b.gainDb; });
    drawLegend(cr, kGainPanel, legend, {});

    const FrequencyAxis phaseAxis(kPhasePanel, d.sampleRate);
    drawValueAxis(cr, kPhasePanel, "Phase of B against A per band", "degrees", 180, 90);
    drawFrequencyAxis(cr, kPhasePanel, phaseAxis);
    drawBandValues(cr, kPhasePanel, d, phaseAxis, 180,
                   [](const BandReading& b) { return b.phaseDeg; });
}

struct PngSink {
    std::FILE* file;
    int error = 0;
};

cairo_status_t writeToFile(void* closure, const unsigned char* data, unsigned int length) {
    auto* sink = static_cast<PngSink*>(closure);
    if (std::fwrite(data, 1, length, sink->file) == length)
        return CAIRO_STATUS_SUCCESS;
    sink->error = errno;
    return CAIRO_STATUS_WRITE_ERROR;
}

std::string errnoText(int e) {
    return std::error_code(e != 0 ? e : EIO, std::generic_category()).message();
}

// Writes the surface to `temp`; the reason on failure, empty on success.
std::string writePng(cairo_surface_t* surface, const std::filesystem::path& temp) {
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(temp.c_str(), "wb"));
    if (!file)
        return errnoText(errno);
    PngSink sink{file.get()};
    const cairo_status_t status = cairo_surface_write_to_png_stream(surface, writeToFile, &sink);
    if (status != CAIRO_STATUS_SUCCESS)
        return sink.error != 0 ? errnoText(sink.error) : cairo_status_to_string(status);
    if (std::fclose(file.release()) != 0)
        return errnoText(errno);
    return {};
}

bool render(files::StagedFile& output, const PlotData& data, std::string& error) {
    const std::string name = output.requested().string();
    auto fail = [&](const std::string& reason) {
        error = name + ": cannot write (" + reason + ")";
        return false;
    };
    if (output.temporary().empty())
        return fail("no output was begun");
    if (!(data.sampleRate > 0) || !std::isfinite(data.sampleRate))
        return fail("sample rate is not positive");
    if (data.fftSize < 2 && (!data.inputSpectra.empty() || !data.residualSpectra.empty()))
        return fail("spectrum without an FFT size");

    std::unique_ptr<cairo_surface_t, SurfaceDeleter> surface(cairo_image_surface_create(
        CAIRO_FORMAT_RGB24, kWidth, hasBands(data) ? kHeightWithBands : kHeight));
    std::unique_ptr<cairo_t, ContextDeleter> cr(cairo_create(surface.get()));
    cairo_t* c = cr.get();
    cairo_set_source_rgb(c, 1, 1, 1);
    cairo_paint(c);
    setColour(c, kInk);
    fittedText(c, 20, 28, data.title, 18, kWidth - 40, true);
    fittedText(c, 20, 50, data.verdict, 13, kWidth - 40, false);
    drawLevelPanel(c, data);
    drawSpectrumPanel(c, data);
    if (hasBands(data))
        drawBandPanels(c, data);
    cairo_surface_flush(surface.get());
    if (cairo_status(c) != CAIRO_STATUS_SUCCESS)
        return fail(cairo_status_to_string(cairo_status(c)));

    const std::string reason = writePng(surface.get(), output.temporary());
    if (!reason.empty()) {
        output.discard();
        return fail(reason);
    }
    return true;
}

}  // namespace

bool writePlotPng(const std::filesystem::path& path, const PlotData& data, std::string& error) {
    files::StagedFile output;
    return output.begin(path, error) && writePlotPng(output, data, error) && output.commit(error);
}

bool writePlotPng(files::StagedFile& output, const PlotData& data, std::string& error) {
    try {
        return render(output, data, error);
    } catch (const std::bad_alloc&) {
        output.discard();
        try {
            error = output.requested().string() + ": cannot write (out of memory)";
        } catch (const std::bad_alloc&) {
            error = "out of memory";  // fits the string's own buffer
        }
        return false;
    }
}

// FcFini is looked up at run time: fontconfig comes in only through cairo.
void releasePlotCaches() {
    cairo_debug_reset_static_data();
    if (void* fcFini = dlsym(RTLD_DEFAULT, "FcFini"))
        reinterpret_cast<void (*)()>(fcFini)();
}

}  // namespace nullmeter
