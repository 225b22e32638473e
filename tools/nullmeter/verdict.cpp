#include "tools/nullmeter/verdict.h"

#include <cinttypes>
#include <cmath>
#include <cstdio>

#include "tools/nullmeter/offset_line.h"

namespace nullmeter {

namespace {

std::string depthText(double bits, double peakDb) {
    char text[96];
    std::snprintf(text, sizeof text, "null depth %.2f bits (side peak %.2f dB FS)", bits, peakDb);
    return text;
}

std::string thresholdText(double threshold, const char* unit) {
    char text[48];
    std::snprintf(text, sizeof text, "%g %s: ", threshold, unit);
    return text;
}

std::int64_t nonFiniteOf(const MeasurementSummary& m, bool inA) {
    std::int64_t total = 0;
    for (const ChannelSummary& c : m.channels)
        total += inA ? c.nonFiniteA : c.nonFiniteB;
    return total;
}

// Compared from the alignment's start frames on, A and B should end together:
// after alignment B's end is counted in A's frames, through the applied offset
// and clock correction.
std::string lengthNote(const ComparisonResult& r) {
    const MeasurementSummary& m = r.final();
    std::int64_t fa = r.a.info.frames - m.offsetA, fb = r.b.info.frames - m.offsetB;
    if (r.aligned) {
        const double step = 1.0 + slopeFromDriftPpm(r.appliedDriftPpm);
        const double end = (static_cast<double>(r.b.info.frames) - r.appliedOffsetFrames) / step;
        fb = static_cast<std::int64_t>(std::llround(end)) - m.offsetA;
    }
    if (fa == fb || r.a.path == r.b.path)
        return "";
    return "; the lengths differ (A " + std::to_string(fa) + ", B " + std::to_string(fb) +
           " frames" + (r.aligned ? " after alignment" : "") + "), " +
           std::to_string(m.comparedFrames) + " frames were compared";
}

}  // namespace

Verdict decide(const ComparisonResult& result, const VerdictRule& rule) {
    const MeasurementSummary& m = result.final();
    const double depth = m.nullDepthBits();
    const double peak = m.sidePeakDb();
    const std::string depthLine = depthText(depth, peak);
    Verdict v;
    v.criterion = rule.kind == VerdictRule::Kind::Identical ? "identical"
                  : rule.kind == VerdictRule::Kind::Bits    ? "bits"
                                                            : "db";
    v.threshold = rule.threshold;
    const std::int64_t badA = nonFiniteOf(m, true), badB = nonFiniteOf(m, false);
    if (badA + badB > 0) {
        v.text = "FAIL: non-finite samples (NaN or infinity): " + std::to_string(badA) +
                 " in A, " + std::to_string(badB) + " in B";
    } else if (rule.kind == VerdictRule::Kind::Identical) {
        const std::int64_t total = m.comparedFrames * static_cast<std::int64_t>(m.channels.size());
        v.pass = m.differing() == 0;
        v.text = v.pass ? "PASS: identical: all " + std::to_string(total) + " compared samples are equal"
                        : "FAIL: differs: " + std::to_string(m.differing()) + " of " +
                              std::to_string(total) + " samples; " + depthLine;
    } else if (rule.kind == VerdictRule::Kind::Bits) {
        v.pass = depth >= rule.threshold;
        v.text = (v.pass ? "PASS: nulls to at least " : "FAIL: does not null to ") +
                 thresholdText(rule.threshold, "bits") + depthLine;
    } else {
        v.pass = peak <= rule.threshold;
        v.text = (v.pass ? "PASS: side peak at or below " : "FAIL: side peak above ") +
                 thresholdText(rule.threshold, "dB FS") + depthLine;
    }
    v.text += lengthNote(result);
    return v;
}

}  // namespace nullmeter
