// The delay of B against A to a small fraction of a sample, from the phase
// of their averaged cross-spectrum: for B(t) = g A(t - tau) the phase at
// angular frequency w is -w tau, so a weighted line through the phase gives
// tau. Unlike a parabola through the correlation peak it has no bias
// towards whole samples.
#pragma once

#include <vector>

namespace nullmeter {

struct DelayEstimate {
    bool found = false;
    double delay = 0;     // tau in frames
    double variance = 0;  // of `delay`, from the phase's scatter about the line
};

// `a` and `b`: the same channels of two excerpts of equal length (at least
// one segment of 4096 frames), b already shifted by the whole part of the
// delay, so |tau| is under about 1.5 frames; `initial` is a first guess.
DelayEstimate estimateSubSampleDelay(const std::vector<std::vector<double>>& a,
                                     const std::vector<std::vector<double>>& b, double initial);

}  // namespace nullmeter
