#include "tools/nullmeter/plot_drawing.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

namespace nullmeter {
namespace {

using Align = PlotCanvas::Align;

constexpr int kHeight = 700;

// dB range of both panels; anything lower (digital silence is -400) sits on
// the bottom edge.
constexpr double kTopDb = 0;
constexpr double kBottomDb = -160;
constexpr double kLowestFrequency = 20;

// Inputs in cool colours, residuals in warm ones, so the two groups read
// apart whatever the channel count.
constexpr Rgb kInputColours[] = {
    {0.10, 0.35, 0.85}, {0.10, 0.60, 0.25}, {0.45, 0.25, 0.75}, {0.00, 0.55, 0.60}};
constexpr Rgb kResidualColours[] = {
    {0.85, 0.10, 0.10}, {0.95, 0.55, 0.00}, {0.80, 0.10, 0.60}, {0.55, 0.30, 0.10}};
constexpr Rgb kInk = {0.10, 0.10, 0.10};
constexpr Rgb kGrid = {0.88, 0.88, 0.88};
constexpr Rgb kWhite = {1, 1, 1};

constexpr PlotRect kLevelPanel = {70, 80, 760, 330};
constexpr PlotRect kSpectrumPanel = {70, 405, 760, 655};
// Below those when there are band readings; the image grows to hold them.
constexpr PlotRect kGainPanel = {70, 735, 760, 895};
constexpr PlotRect kPhasePanel = {70, 965, 760, 1075};
constexpr int kHeightWithBands = 1130;
constexpr double kLegendLeft = 780;

// A panel's border, its title above and its unit above the axis labels.
void panelFrame(PlotCanvas& c, const PlotRect& p, const std::string& title,
                const std::string& unit) {
    c.lineWidth(1);
    c.border(p);
    c.text(p.left, p.top - 8, title, 13, true);
    c.text(p.left - 6, p.top - 8, unit, 11, true, Align::Right);
}

double dbToY(const PlotRect& p, double db) {
    const double clamped = std::clamp(db, kBottomDb, kTopDb);
    return p.top + (kTopDb - clamped) / (kTopDb - kBottomDb) * p.height();
}

// Frame, dB grid and labels shared by both panels.
void drawDbAxis(PlotCanvas& c, const PlotRect& p, const std::string& title) {
    c.lineWidth(1);
    for (double db = kTopDb; db >= kBottomDb; db -= 20) {
        const double y = std::round(dbToY(p, db)) + 0.5;
        c.colour(kGrid);
        c.line(p.left, y, p.right, y);
        c.colour(kInk);
        char label[16];
        std::snprintf(label, sizeof label, "%.0f", db);
        c.text(p.left - 6, y + 4, label, 11, false, Align::Right);
    }
    c.colour(kInk);
    panelFrame(c, p, title, "dB FS");
    // Clamped values are otherwise indistinguishable from real ones there.
    c.colour({0.4, 0.4, 0.4});
    c.text(kLegendLeft, p.bottom - 18, "bottom edge: -160 dB or less,", 10, false);
    c.text(kLegendLeft, p.bottom - 4, "including digital silence", 10, false);
}

void drawXTick(PlotCanvas& c, const PlotRect& p, double x, const std::string& label) {
    const double px = std::round(x) + 0.5;
    c.lineWidth(1);
    c.colour(kGrid);
    c.line(px, p.top + 1, px, p.bottom - 1);
    c.colour(kInk);
    c.line(px, p.bottom, px, p.bottom + 4);
    c.text(px, p.bottom + 16, label, 11, true, Align::Centre);
}

// A polyline through the points; NaN values and positions break it, and a
// point with no neighbour becomes a dot.
template <typename XOf>
void drawSeries(PlotCanvas& c, const PlotRect& p, const std::vector<double>& values,
                std::size_t count, XOf xOf, Rgb colour) {
    c.colour(colour);
    c.lineWidth(1.5);
    std::vector<PlotPoint> run;
    auto close = [&] {
        if (run.size() == 1)
            c.dot(run[0].x, run[0].y, 2);
        else
            c.polyline(run);
        run.clear();
    };
    for (std::size_t i = 0; i < count; ++i) {
        const double x = xOf(i);
        const double v = values[i];
        if (!std::isfinite(x) || std::isnan(v)) {
            close();
            continue;
        }
        run.push_back({x, dbToY(p, v)});
    }
    close();
}

// A level per window, held across the window: a flat step from the previous
// window's end (0 for the first) to its own, joined to the next by a riser.
template <typename XOf>
void drawSteps(PlotCanvas& c, const PlotRect& p, const std::vector<double>& values,
               const std::vector<double>& ends, XOf xOf, Rgb colour) {
    c.colour(colour);
    c.lineWidth(1.5);
    const std::size_t count = std::min(values.size(), ends.size());
    std::vector<PlotPoint> run;
    double start = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const double end = ends[i];
        const double v = values[i];
        if (!std::isfinite(end) || std::isnan(v)) {
            c.polyline(run);
            run.clear();
        } else {
            const double y = dbToY(p, v);
            run.push_back({xOf(start), y});
            run.push_back({xOf(end), y});
        }
        if (std::isfinite(end))
            start = end;
    }
    c.polyline(run);
}

// Legend to the right of a panel: inputs first, then residuals.
void drawLegend(PlotCanvas& c, const PlotRect& p, const std::vector<Series>& inputs,
                const std::vector<Series>& residuals) {
    const int maxRows = static_cast<int>((p.height() - 40) / 16) - 1;  // above the note
    int row = 0;
    const std::size_t total = inputs.size() + residuals.size();
    for (std::size_t i = 0; i < total; ++i) {
        const bool input = i < inputs.size();
        const Series& s = input ? inputs[i] : residuals[i - inputs.size()];
        const std::size_t k = input ? i : i - inputs.size();
        if (row == maxRows) {
            c.colour(kInk);
            c.text(kLegendLeft, p.top + 12 + 16 * row, "+ " + std::to_string(total - i) + " more",
                   11, false);
            return;
        }
        const double y = p.top + 12 + 16 * row;
        c.colour(input ? kInputColours[k % 4] : kResidualColours[k % 4]);
        c.lineWidth(3);
        c.line(kLegendLeft, y - 4, kLegendLeft + 22, y - 4);
        c.colour(kInk);
        c.fittedText(kLegendLeft + 28, y, s.label, 11, kPlotWidth - kLegendLeft - 34, false);
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

void drawLevelPanel(PlotCanvas& c, const PlotData& d) {
    const PlotRect& p = kLevelPanel;
    drawDbAxis(c, p, "Level per window");
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
        drawXTick(c, p, xAt(i * step), label);
    }
    c.text(p.left + p.width() / 2, p.bottom + 34, "time (s)", 11, true, Align::Centre);

    auto drawGroup = [&](const std::vector<Series>& group, const Rgb* colours) {
        for (std::size_t k = 0; k < group.size(); ++k) {
            drawSteps(c, p, group[k].values, d.windowEndSeconds, xAt, colours[k % 4]);
        }
    };
    drawGroup(d.inputLevels, kInputColours);
    drawGroup(d.residualLevels, kResidualColours);
    drawLegend(c, p, d.inputLevels, d.residualLevels);
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
    FrequencyAxis(const PlotRect& p, double sampleRate)
        : left(p.left), width(p.width()), nyquist(sampleRate / 2),
          low(std::min(kLowestFrequency, nyquist / 10)), span(std::log(nyquist / low)) {}
    double x(double f) const { return left + std::log(f / low) / span * width; }
};

void drawFrequencyAxis(PlotCanvas& c, const PlotRect& p, const FrequencyAxis& axis) {
    for (double decade = std::pow(10, std::floor(std::log10(axis.low))); decade <= axis.nyquist;
         decade *= 10) {
        for (double m : {1.0, 2.0, 5.0}) {
            const double f = decade * m;
            if (f >= axis.low * (1 - 1e-9) && f <= axis.nyquist * (1 + 1e-9))
                drawXTick(c, p, axis.x(f), frequencyLabel(f));
        }
    }
    c.text(p.left + p.width() / 2, p.bottom + 34, "frequency (Hz)", 11, true, Align::Centre);
}

void drawSpectrumPanel(PlotCanvas& c, const PlotData& d) {
    const PlotRect& p = kSpectrumPanel;
    drawDbAxis(c, p, "Spectrum");
    const FrequencyAxis axis(p, d.sampleRate);
    const double low = axis.low;
    auto xAt = [&](double f) { return axis.x(f); };
    drawFrequencyAxis(c, p, axis);

    const double binWidth = d.fftSize > 0 ? d.sampleRate / d.fftSize : 0;
    auto drawGroup = [&](const std::vector<Series>& group, const Rgb* colours) {
        for (std::size_t k = 0; k < group.size(); ++k) {
            const std::vector<double>& v = group[k].values;
            const auto bins = static_cast<std::size_t>(d.fftSize / 2 + 1);
            const std::size_t count = std::min(v.size(), bins);
            // Bins below the axis's lowest frequency are not drawn.
            drawSeries(
                c, p, v, count,
                [&](std::size_t i) {
                    const double f = static_cast<double>(i) * binWidth;
                    return f >= low ? xAt(f) : std::numeric_limits<double>::quiet_NaN();
                },
                colours[k % 4]);
        }
    };
    drawGroup(d.inputSpectra, kInputColours);
    drawGroup(d.residualSpectra, kResidualColours);
    drawLegend(c, p, d.inputSpectra, d.residualSpectra);
}

bool hasBands(const PlotData& d) {
    return std::any_of(d.bands.begin(), d.bands.end(),
                       [](const std::vector<BandReading>& c) { return !c.empty(); });
}

double toY(const PlotRect& p, double v, double top) {
    return p.top + (top - std::clamp(v, -top, top)) / (2 * top) * p.height();
}

// A panel of values symmetric about 0, +-top, gridded every `step`.
void drawValueAxis(PlotCanvas& c, const PlotRect& p, const std::string& title, const char* unit,
                   double top, double step) {
    c.lineWidth(1);
    for (int i = -static_cast<int>(std::lround(top / step)); i * step <= top * (1 + 1e-9); ++i) {
        const double y = std::round(toY(p, i * step, top)) + 0.5;
        c.colour(i == 0 ? Rgb{0.7, 0.7, 0.7} : kGrid);
        c.line(p.left, y, p.right, y);
        c.colour(kInk);
        char label[16];
        std::snprintf(label, sizeof label, "%g", i * step);
        c.text(p.left - 6, y + 4, label, 11, false, Align::Right);
    }
    panelFrame(c, p, title, unit);
}

// Each band as a level across its width, a channel per colour; bands where A
// is silent are left out, values beyond the range sit on the edge.
void drawBandValues(PlotCanvas& c, const PlotRect& p, const PlotData& d, const FrequencyAxis& axis,
                    double top, double (*value)(const BandReading&)) {
    c.clip(p);
    for (std::size_t channel = 0; channel < d.bands.size(); ++channel) {
        c.colour(kInputColours[channel % 4]);
        c.lineWidth(2.5);
        for (const BandReading& b : d.bands[channel]) {
            if (!(b.aDb > -400.0) || !(b.highHz > axis.low))
                continue;
            const double v = value(b);
            if (!std::isfinite(v))
                continue;
            const double y = toY(p, v, top);
            c.line(axis.x(std::max(b.lowHz, axis.low)), y, axis.x(b.highHz), y);
            c.dot(axis.x(b.centreHz), y, 2.5);
        }
    }
    c.unclip();
}

void drawBandPanels(PlotCanvas& c, const PlotData& d) {
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
        for (std::size_t ch = 0; ch < d.bands.size(); ++ch)
            s.push_back({d.bands.size() > 1 ? "B / A ch " + std::to_string(ch + 1) : "B / A", {}});
        return s;
    }();

    const FrequencyAxis gainAxis(kGainPanel, d.sampleRate);
    drawValueAxis(c, kGainPanel, "Gain of B against A per band", "dB", top, top / 2);
    drawFrequencyAxis(c, kGainPanel, gainAxis);
    drawBandValues(c, kGainPanel, d, gainAxis, top, [](const BandReading& b) { return b.gainDb; });
    drawLegend(c, kGainPanel, legend, {});

    const FrequencyAxis phaseAxis(kPhasePanel, d.sampleRate);
    drawValueAxis(c, kPhasePanel, "Phase of B against A per band", "degrees", 180, 90);
    drawFrequencyAxis(c, kPhasePanel, phaseAxis);
    drawBandValues(c, kPhasePanel, d, phaseAxis, 180,
                   [](const BandReading& b) { return b.phaseDeg; });
}

}  // namespace

int plotHeight(const PlotData& data) {
    return hasBands(data) ? kHeightWithBands : kHeight;
}

void drawPlot(PlotCanvas& c, const PlotData& data) {
    c.colour(kWhite);
    c.fill({0, 0, static_cast<double>(kPlotWidth), static_cast<double>(plotHeight(data))});
    c.colour(kInk);
    c.fittedText(20, 28, data.title, 18, kPlotWidth - 40, true);
    c.fittedText(20, 50, data.verdict, 13, kPlotWidth - 40, false);
    drawLevelPanel(c, data);
    drawSpectrumPanel(c, data);
    if (hasBands(data))
        drawBandPanels(c, data);
}

}  // namespace nullmeter
