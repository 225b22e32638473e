#include "effects/nulltest/channel_levels.h"

#include <cmath>
#include <cstdio>

namespace nulltest {

ChannelLevels channelLevels(const double* samples, std::size_t count) {
    ChannelLevels levels;
    double sumSquares = 0.0;
    for (std::size_t i = 0; i < count; ++i) {
        const double a = std::fabs(samples[i]);
        // Not fmax: it would drop the NaN, which must poison the peak.
        if (a > levels.peak || std::isnan(a))
            levels.peak = a;
        sumSquares += a * a;
    }
    if (count > 0)
        levels.rms = std::sqrt(sumSquares / static_cast<double>(count));
    return levels;
}

double levelDb(double level) {
    // The negated test lets NaN through to log10, which keeps it NaN.
    if (!(level > kLevelThreshold) && !std::isnan(level))
        return kFloorDb;
    return 20.0 * std::log10(level);
}

std::string formatLevelDb(double level) {
    const double db = levelDb(level);
    if (std::isnan(db))
        return "nan";
    if (db <= kFloorDb)
        return "-inf";
    if (std::isinf(db))
        return "inf";
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", db);
    return text;
}

}  // namespace nulltest
