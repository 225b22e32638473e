// Estimates how file B is offset from file A: the whole-sample lag within a
// search range, a sub-sample refinement, polarity and gain. These are the
// usual reasons two renders of one recording fail to null.
#pragma once

#include <cstdint>
#include <vector>

namespace nullmeter {

struct AlignmentEstimate {
    bool found = false;           // false when either excerpt is silent or nothing correlates
    std::int64_t offsetFrames = 0;  // B lags A: B[i + offsetFrames] matches A[i]
    double subSampleOffset = 0;   // offsetFrames refined, within half a sample of it
    int polarity = 1;             // -1 when B is inverted against A
    double gain = 1;              // |g| of the least-squares fit B ~ polarity * gain * A at the lag
    double gainDb = 0;            // 20 log10(gain): B's level against A's
    double correlation = 0;       // normalised correlation at the lag, 0 ... 1
    // Clock drift over the whole overlap: B's frame n carries A's frame
    // (n - subSampleOffset) * (1 + driftPpm * 1e-6), from a line through
    // the offsets measured at `driftPoints` points along the files.
    double driftPpm = 0;
    double driftFitResidualFrames = 0;  // RMS distance of those offsets from the line
    int driftPoints = 0;
    bool driftSignificant = false;  // the offset moves by more than its scatter explains
};

// `a` and `b` hold the same channels of A and B (one vector per channel,
// any lengths), both starting at the same frame of their files. The lag
// maximises the magnitude of the cross-correlation summed over channels,
// within -maxLag ... +maxLag frames; it is computed in blocks with the
// signal library's FFT (at most 32768 points). Polarity and gain come from
// exact time-domain sums at the chosen lag, so identical excerpts give
// offset 0, polarity 1 and gain exactly 1.
AlignmentEstimate estimateAlignment(const std::vector<std::vector<double>>& a,
                                    const std::vector<std::vector<double>>& b,
                                    std::int64_t maxLag);

}  // namespace nullmeter
