#include "tools/nullmeter/offset_line.h"

#include <cmath>

namespace nullmeter {

OffsetLine fitOffsetLine(const std::vector<OffsetPoint>& points) {
    OffsetLine line;
    line.points = static_cast<int>(points.size());
    if (points.empty())
        return line;
    // Exact points (variance 0) all weigh the same, far above any other.
    const auto weight = [](const OffsetPoint& p) { return 1.0 / (p.variance + 1e-24); };
    double sw = 0, sx = 0, sy = 0;
    for (const OffsetPoint& p : points) {
        const double w = weight(p);
        sw += w;
        sx += w * p.frameOfA;
        sy += w * p.lag;
    }
    const double mx = sx / sw, my = sy / sw;
    double sxx = 0, sxy = 0;
    for (const OffsetPoint& p : points) {
        const double w = weight(p);
        sxx += w * (p.frameOfA - mx) * (p.frameOfA - mx);
        sxy += w * (p.frameOfA - mx) * (p.lag - my);
    }
    line.slope = sxx > 0 ? sxy / sxx : 0.0;
    line.intercept = my - line.slope * mx;
    double squares = 0, weighted = 0;
    for (const OffsetPoint& p : points) {
        const double r = p.lag - (line.intercept + line.slope * p.frameOfA);
        squares += r * r;
        weighted += weight(p) * r * r;
    }
    line.residualRms = std::sqrt(squares / static_cast<double>(points.size()));
    if (points.size() > 2 && sxx > 0)
        line.slopeError = std::sqrt(weighted / static_cast<double>(points.size() - 2) / sxx);
    return line;
}

double driftPpmFromSlope(double slope) {
    return (1.0 / (1.0 + slope) - 1.0) * 1e6;
}

double slopeFromDriftPpm(double ppm) {
    return 1.0 / (1.0 + ppm * 1e-6) - 1.0;
}

}  // namespace nullmeter
