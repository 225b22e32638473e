#include "tools/nullmeter/diagnosis.h"

#include "effects/nulltest/channel_levels.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <functional>

namespace nullmeter {
namespace {

using nulltest::kFloorDb;

// A gain step is told when it is at least this large and each side's spread
// (and, for the side said to agree, its distance from 0 dB) is at most
// kConsistent of it: a 0.5 dB step allows 0.1 dB on either side.
constexpr double kMinStepDb = 0.05;
constexpr double kConsistent = 0.2;
// Bands where A is this far below its loudest band hold little but the
// leakage of their neighbours: their gain is the neighbours', not their own.
constexpr double kUsableRangeDb = 100.0;

// White: every band's level per hertz within this of the mean over the
// bands. A Welch estimate of a few seconds of noise stays within 1 dB even
// in the narrowest bands.
constexpr double kFlatDb = 3.0;
// At a rounding level: within this of it. Rounding and dithered rounding
// to the same bits are 4.8 dB apart, bit depths 24 dB or more.
constexpr double kLevelDb = 1.5;
constexpr int kBitDepths[] = {8, 16, 20, 24};

__attribute__((format(printf, 1, 2))) std::string format(const char* pattern, ...) {
    char text[64];
    va_list values;
    va_start(values, pattern);
    std::vsnprintf(text, sizeof text, pattern, values);
    va_end(values);
    return text;
}

std::string frequency(double hz) {
    return hz >= 1000 ? format("%.3g kHz", hz / 1000) : format("%.3g Hz", hz);
}

std::string bandName(const BandReading& r) {
    return "the " + frequency(nominalCentreHz(r.centreHz)) + " band";
}

std::string change(double gainDb) {
    return format("%.2f dB ", std::fabs(gainDb)) + (gainDb < 0 ? "lower" : "higher");
}

struct Side {
    double mean = 0, lowest = 0, highest = 0;
    double spread() const { return highest - lowest; }
    double largest() const { return std::max(std::fabs(lowest), std::fabs(highest)); }
};

Side side(const std::vector<double>& gains, std::size_t begin, std::size_t end) {
    Side s{0, gains[begin], gains[begin]};
    for (std::size_t i = begin; i < end; ++i) {
        s.mean += gains[i];
        s.lowest = std::min(s.lowest, gains[i]);
        s.highest = std::max(s.highest, gains[i]);
    }
    s.mean /= static_cast<double>(end - begin);
    return s;
}

using ChannelEvidence =
    std::function<std::optional<std::string>(const std::vector<BandReading>&, std::size_t)>;

// One kind of evidence over all channels.
void addLines(std::vector<std::string>& lines, const std::vector<std::vector<BandReading>>& bands,
              const ChannelEvidence& evidence) {
    std::vector<std::optional<std::string>> found;
    for (std::size_t c = 0; c < bands.size(); ++c)
        found.push_back(evidence(bands[c], c));
    if (found.empty())
        return;
    if (found.size() == 1) {
        if (found[0])
            lines.push_back(*found[0]);
        return;
    }
    if (found[0] && std::all_of(found.begin(), found.end(),
                                [&](const auto& f) { return f && *f == *found[0]; })) {
        lines.push_back("all channels: " + *found[0]);
        return;
    }
    for (std::size_t c = 0; c < found.size(); ++c)
        if (found[c])
            lines.push_back("channel " + std::to_string(c + 1) + ": " + *found[c]);
}

}  // namespace

double roundingLevelDb(int bits, bool dithered) {
    const double q = std::pow(2.0, 1 - bits);
    const double meanSquare = q * q / 12 * (dithered ? 3 : 1);
    return 10 * std::log10(2 * meanSquare);
}

std::optional<std::string> gainStep(const std::vector<BandReading>& bands) {
    double loudest = kFloorDb;
    for (const BandReading& r : bands)
        loudest = std::max(loudest, r.aDb);
    std::vector<const BandReading*> used;
    std::vector<double> gains;
    for (const BandReading& r : bands)
        if (r.aDb > kFloorDb && r.aDb >= loudest - kUsableRangeDb && r.gainDb > kFloorDb &&
            std::isfinite(r.gainDb)) {
            used.push_back(&r);
            gains.push_back(r.gainDb);
        }
    if (used.size() < 3)
        return std::nullopt;
    // The split with the clearest step; where there is one, its neighbours
    // put a band of the other side into a side and fail.
    std::size_t best = 0;
    double bestRatio = 0;
    for (std::size_t split = 1; split < used.size(); ++split) {
        const Side low = side(gains, 0, split), high = side(gains, split, used.size());
        const double step = std::fabs(high.mean - low.mean);
        const double spread = std::max(low.spread(), high.spread());
        if (step < kMinStepDb || spread > kConsistent * step)
            continue;
        const double ratio = step / std::max(spread, 1e-9);
        if (ratio > bestRatio) {
            bestRatio = ratio;
            best = split;
        }
    }
    if (best == 0)
        return std::nullopt;
    const Side low = side(gains, 0, best), high = side(gains, best, used.size());
    const double step = std::fabs(high.mean - low.mean);
    const BandReading& firstHigh = *used[best];
    const BandReading& lastLow = *used[best - 1];
    const std::string above =
        "from " + bandName(firstHigh) + " up (above " + frequency(firstHigh.lowHz) + ")";
    const std::string below =
        "up to " + bandName(lastLow) + " (below " + frequency(lastLow.highHz) + ")";
    const auto agrees = [&](const Side& s) { return s.largest() <= kConsistent * step; };
    const auto within = [](const Side& s) {
        return format("%.2f dB", std::max(0.01, std::ceil(s.largest() * 100 - 1e-9) / 100));
    };
    // The side that departs from 0 dB is named first.
    if (agrees(low))
        return "B is " + change(high.mean) + " " + above + "; below that the pair agrees within " +
               within(low);
    if (agrees(high))
        return "B is " + change(low.mean) + " " + below + "; above that the pair agrees within " +
               within(high);
    return "B is " + change(high.mean) + " " + above + " and " + change(low.mean) + " below that";
}

std::optional<std::string> roundingResidual(const std::vector<BandReading>& bands,
                                            double sampleRate, double largestDifference) {
    const double nyquist = sampleRate / 2;
    if (bands.size() < 3 || !(nyquist > 0) || !std::isfinite(nyquist))
        return std::nullopt;
    // Levels per hertz, as the level white noise of that density would have
    // over the whole band 0 ... Nyquist.
    std::vector<double> density;
    double power = 0, width = 0;
    for (const BandReading& r : bands) {
        const double hz = r.highHz - r.lowHz;
        if (!(r.residualDb > kFloorDb) || !std::isfinite(r.residualDb) || !(hz > 0))
            return std::nullopt;
        density.push_back(r.residualDb - 10 * std::log10(hz / nyquist));
        power += std::pow(10.0, r.residualDb / 10);
        width += hz;
    }
    const double level = 10 * std::log10(power / width * nyquist);
    for (double d : density)
        if (std::fabs(d - level) > kFlatDb)
            return std::nullopt;
    for (int bits : kBitDepths)
        for (bool dithered : {false, true}) {
            const double off = level - roundingLevelDb(bits, dithered);
            // Rounding errs by half a step at most, dithered rounding by 1.5
            // steps: noise of that level but not of that kind goes beyond.
            const double step = std::pow(2.0, 1 - bits);
            if (largestDifference > (dithered ? 1.5 : 0.5) * step * (1 + 1e-9))
                continue;
            // Rounded before printing, so that a tiny negative offset reads +0.0.
            if (std::fabs(off) <= kLevelDb)
                return "the residual is white at the level of " + std::to_string(bits) +
                       "-bit rounding" + (dithered ? " with triangular dither" : "") +
                       format(" (measured %+.1f dB from it)", std::round(off * 10) / 10 + 0.0);
        }
    return std::nullopt;
}

std::vector<std::string> diagnoseBands(const std::vector<std::vector<BandReading>>& bands,
                                       double sampleRate,
                                       const std::vector<double>& largestDifference) {
    std::vector<std::string> lines;
    addLines(lines, bands, [](const std::vector<BandReading>& channel, std::size_t) {
        return gainStep(channel);
    });
    addLines(lines, bands, [&](const std::vector<BandReading>& channel, std::size_t c) {
        return roundingResidual(channel, sampleRate,
                                c < largestDifference.size() ? largestDifference[c] : -1.0);
    });
    return lines;
}

std::vector<std::string> diagnoseAlignment(const AlignmentEstimate& e, int sampleRate,
                                           bool levelExplained) {
    // Below this the estimate describes a pair too unlike to name reasons.
    constexpr double kClearCorrelation = 0.9;
    std::vector<std::string> lines;
    if (!e.found || e.correlation < kClearCorrelation)
        return lines;
    char text[160];
    const double offset = e.subSampleOffset;
    if (std::fabs(offset) >= 0.01) {
        std::snprintf(text, sizeof text, "B %s A by %.2f samples (%.3f ms)",
                      offset < 0 ? "leads" : "lags", std::fabs(offset),
                      1000.0 * std::fabs(offset) / (sampleRate > 0 ? sampleRate : 1));
        lines.emplace_back(text);
    }
    if (e.driftSignificant && std::fabs(e.driftPpm) >= 0.01) {
        std::snprintf(text, sizeof text, "B's clock runs %.1f ppm %s", std::fabs(e.driftPpm),
                      e.driftPpm > 0 ? "fast" : "slow");
        lines.emplace_back(text);
    }
    if (e.polarity < 0)
        lines.emplace_back("B is inverted");
    if (!levelExplained && std::fabs(e.gainDb) >= 0.01) {
        std::snprintf(text, sizeof text, "B is %.2f dB %s than A", std::fabs(e.gainDb),
                      e.gainDb < 0 ? "lower" : "higher");
        lines.emplace_back(text);
    }
    return lines;
}

}  // namespace nullmeter
