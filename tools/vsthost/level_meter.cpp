#include "tools/vsthost/level_meter.h"

#include <cmath>
#include <cstdio>
#include <limits>

namespace plux::vsthost {

Levels measure(const std::vector<double>& samples) {
    Levels levels;
    double sumSquares = 0.0;
    for (double x : samples) {
        const double a = std::fabs(x);
        // NaN must not hide behind comparisons: let it poison the peak.
        if (a > levels.peak || std::isnan(a))
            levels.peak = a;
        sumSquares += x * x;
    }
    if (!samples.empty())
        levels.rms = std::sqrt(sumSquares / static_cast<double>(samples.size()));
    return levels;
}

double toDecibels(double linear) {
    if (linear == 0.0)
        return -std::numeric_limits<double>::infinity();
    return 20.0 * std::log10(linear);
}

std::string formatDecibels(double linear) {
    const double db = toDecibels(linear);
    if (std::isnan(db))
        return "nan";
    if (std::isinf(db))
        return db < 0 ? "-inf" : "inf";
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", db);
    return text;
}

}  // namespace plux::vsthost
