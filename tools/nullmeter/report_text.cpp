#include <cinttypes>
#include <cmath>
#include <string>

#include "tools/nullmeter/report.h"

namespace nullmeter {

namespace {

void printSource(std::FILE* out, const char* name, const SourceInfo& s, bool oneFile) {
    const plux::audio::FileInfo& i = s.info;
    if (oneFile) {
        std::fprintf(out, "%s: %s, channel %d\n", name, s.path.c_str(), s.channels.front() + 1);
        return;
    }
    std::fprintf(out, "%s: %s (%s, %d channel%s, %d Hz, %" PRId64 " frames, %.3f s)\n", name,
                 s.path.c_str(), i.format.c_str(), i.channels, i.channels == 1 ? "" : "s",
                 i.sampleRate, i.frames,
                 i.sampleRate > 0 ? static_cast<double>(i.frames) / i.sampleRate : 0.0);
}

void printReadings(std::FILE* out, const Reading& l, const Reading& r, const Reading& m,
                   const Reading& s) {
    std::fprintf(out, "  %-6s %10s %10s %10s %10s\n", "", "RMS dB", "RMS bits", "peak dB",
                 "peak bits");
    const struct {
        const char* name;
        const Reading& reading;
    } rows[] = {{"L (A)", l}, {"R (B)", r}, {"M", m}, {"S", s}};
    for (const auto& row : rows)
        std::fprintf(out, "  %-6s %10.2f %10.2f %10.2f %10.2f\n", row.name, row.reading.rmsDb,
                     row.reading.rmsBits, row.reading.peakDb, row.reading.peakBits);
}

double seconds(std::int64_t frame, int rate) {
    return rate > 0 ? static_cast<double>(frame) / rate : 0.0;
}

void printDifference(std::FILE* out, const char* what, std::int64_t compared, std::int64_t offsetA,
                     int rate) {
    const std::int64_t frame = compared + offsetA;
    std::fprintf(out, "%s at %.6f s (frame %" PRId64 ")", what, seconds(frame, rate), frame);
}

// A level, or "silent" for the floor (digital silence in the band).
std::string bandLevel(double db) {
    if (!(db > -400.0))
        return "silent";
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", db);
    return text;
}

// Per band: A's level, the residual's, the null depth between them and B's
// gain and phase against A.
void printBands(std::FILE* out, const std::vector<BandReading>& bands) {
    std::fprintf(out, "  %-8s %10s %10s %10s %10s %10s\n", "band Hz", "A dB", "resid dB", "null dB",
                 "gain dB", "phase deg");
    for (const BandReading& b : bands) {
        const double nominal = nominalCentreHz(b.centreHz);
        char centre[16];
        std::snprintf(centre, sizeof centre, nominal >= 1000 ? "%gk" : "%g",
                      nominal >= 1000 ? nominal / 1000 : nominal);
        const bool silent = !(b.aDb > -400.0) || !(b.residualDb > -400.0);
        const std::string null = silent ? "-" : bandLevel(b.aDb - b.residualDb);
        std::fprintf(out, "  %-8s %10s %10s %10s %+10.3f %+10.2f\n", centre,
                     bandLevel(b.aDb).c_str(), bandLevel(b.residualDb).c_str(), null.c_str(),
                     b.gainDb, b.phaseDeg);
    }
}

class TextReport final : public Report {
  public:
    TextReport(std::FILE* out, bool bands) : out_(out), bands_(bands) {}

    void begin(const ComparisonResult& r) override {
        const bool oneFile = r.a.path == r.b.path;
        printSource(out_, "A", r.a, oneFile);
        SourceInfo b = r.b;
        if (plugin_)
            b.path = outputLabel(*plugin_);
        printSource(out_, "B", b, oneFile);
        if (plugin_)
            std::fprintf(out_, "plug-in: %s\n", hostingText(*plugin_).c_str());
        std::fprintf(out_, "window: %.1f s (%" PRId64 " frames at %d Hz)\n", r.windowSeconds,
                     r.windowFrames, r.sampleRate);
        const AlignmentEstimate& e = r.alignment;
        if (!e.found) {
            std::fprintf(out_, "alignment: none found within +-%.3f s (silence, or nothing "
                               "in common)\n",
                         seconds(r.searchFrames, r.sampleRate));
            return;
        }
        std::fprintf(out_,
                     "alignment: B %s A by %" PRId64 " frames (%.2f frames, %.3f ms), "
                     "polarity %s, gain %+.3f dB, correlation %.4f\n",
                     e.offsetFrames < 0 ? "leads" : "lags", static_cast<std::int64_t>(std::llabs(e.offsetFrames)),
                     std::fabs(e.subSampleOffset),
                     1000.0 * std::fabs(e.subSampleOffset) / (r.sampleRate > 0 ? r.sampleRate : 1),
                     e.polarity < 0 ? "inverted" : "same", e.gainDb, e.correlation);
        if (e.driftPoints > 1)
            std::fprintf(out_,
                         "clock drift: %+.4f ppm (B against A, from %d points along the files; "
                         "offsets within %.4f frames of the line)%s\n",
                         e.driftPpm, e.driftPoints, e.driftFitResidualFrames,
                         e.driftSignificant ? "" : ", none to correct");
        if (r.alignmentApplied) {
            // + 0.0 turns a negative zero into zero for printing.
            const double offset = r.appliedOffsetFrames + 0.0;
            const double whole = std::floor(offset) + 0.0;
            std::fprintf(out_, "applied: B read from frame %.4f for A's frame 0 (%.0f whole + %.4f)",
                         offset, whole, offset - whole);
            if (r.appliedDriftPpm != 0.0)
                std::fprintf(out_, ", resampled for %+.4f ppm of drift", r.appliedDriftPpm);
            if (r.edgeFrames > 0)
                std::fprintf(out_, "; %" PRId64 " frames at each end left out (the interpolator "
                                   "has no full support there)",
                             r.edgeFrames);
            std::fprintf(out_, "\n");
        }
    }

    void window(const ComparisonResult& r, const WindowResult& w) override {
        const std::int64_t start = w.startFrame + r.final().offsetA;
        std::fprintf(out_, "window %" PRId64 ", channel %d: %.3f to %.3f s (%" PRId64 " frames%s)\n",
                     w.index, w.channel + 1, seconds(start, r.sampleRate),
                     seconds(start + w.frames, r.sampleRate), w.frames,
                     w.partial ? ", partial" : "");
        printReadings(out_, w.left, w.right, w.mid, w.side);
    }

    void end(const ComparisonResult& r, const Verdict& verdict) override {
        const MeasurementSummary& m = r.final();
        if (r.aligned) {
            std::fprintf(out_,
                         "before alignment: null depth %.2f bits (side peak %.2f dB FS), "
                         "%" PRId64 " differing samples\n",
                         r.plain.nullDepthBits(), r.plain.sidePeakDb(), r.plain.differing());
            std::fprintf(out_,
                         "after alignment:  null depth %.2f bits (side peak %.2f dB FS), "
                         "%" PRId64 " differing samples (B from frame %" PRId64
                         ", A from frame %" PRId64 ", B times %.6g)\n",
                         m.nullDepthBits(), m.sidePeakDb(), m.differing(), m.offsetB, m.offsetA,
                         m.factorB);
        }
        for (std::size_t c = 0; c < m.channels.size(); ++c) {
            const ChannelSummary& s = m.channels[c];
            std::fprintf(out_, "summary, channel %zu: %" PRId64 " frames in %" PRId64
                               " window%s%s\n",
                         c + 1, m.comparedFrames, s.windows, s.windows == 1 ? "" : "s",
                         s.lastWindowPartial ? " (the last partial)" : "");
            printReadings(out_, s.left, s.right, s.mid, s.side);
            std::fprintf(out_, "  differing samples: %" PRId64, s.differing);
            if (s.differing > 0) {
                std::fprintf(out_, "; first");
                printDifference(out_, "", s.firstDifference, m.offsetA, r.sampleRate);
                std::fprintf(out_, ", last");
                printDifference(out_, "", s.lastDifference, m.offsetA, r.sampleRate);
                std::fprintf(out_, "; largest %.6g", s.largestDifference);
            }
            std::fprintf(out_, "\n  non-finite samples: A %" PRId64 ", B %" PRId64 "\n",
                         s.nonFiniteA, s.nonFiniteB);
            if (s.windows > 0) {
                std::fprintf(out_,
                             "  deepest window: %" PRId64 " (side RMS %.2f dB), shallowest: %" PRId64
                             " (side RMS %.2f dB)\n",
                             s.deepest.index, s.deepest.sideRmsDb, s.shallowest.index,
                             s.shallowest.sideRmsDb);
            }
            if (bands_ && c < r.bands.size())
                printBands(out_, r.bands[c]);
        }
        for (const std::string& line : r.diagnosis)
            std::fprintf(out_, "diagnosis: %s\n", line.c_str());
        if (plugin_)
            std::fprintf(out_, "latency: %s\n", latencyText(*plugin_).c_str());
        std::fprintf(out_, "%s\n", verdict.text.c_str());
    }

  private:
    std::FILE* out_;
    bool bands_;
};

}  // namespace

std::unique_ptr<Report> makeTextReport(std::FILE* out, bool bands) {
    return std::make_unique<TextReport>(out, bands);
}

}  // namespace nullmeter
