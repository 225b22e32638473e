// A line through the offsets of B against A measured at points along the
// files: the offset at A's frame 0 and how fast it moves, which is the
// difference of the two clocks.
#pragma once

#include <vector>

namespace nullmeter {

struct OffsetPoint {
    double frameOfA = 0;  // where along A it was measured
    double lag = 0;       // B's position of that frame of A, minus the frame
    double variance = 0;  // of `lag`
};

struct OffsetLine {
    int points = 0;
    double intercept = 0;    // the lag at A's frame 0
    double slope = 0;        // its change per frame of A
    double slopeError = 0;   // standard error of `slope` from the scatter
    double residualRms = 0;  // frames: how far the points lie from the line
};

// Weighted least squares (weights 1 / variance). One point, or points all at
// one frame, give a level line.
OffsetLine fitOffsetLine(const std::vector<OffsetPoint>& points);

// B's frame n carries A's frame (n - intercept) * (1 + ppm * 1e-6): B runs
// through the material faster when positive, and its lag then shrinks.
double driftPpmFromSlope(double slope);
double slopeFromDriftPpm(double ppm);

}  // namespace nullmeter
