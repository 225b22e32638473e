// Helpers of the signal-library tests: reproducible test signals and
// reference sums in long double.
#pragma once

#include <cmath>
#include <cstdint>
#include <vector>

namespace signaltest {

constexpr long double kPiL = 3.141592653589793238462643383279502884L;

// Reproducible values in [-1, 1) from a linear congruential sequence.
inline std::vector<double> randomSignal(std::size_t count, uint32_t seed) {
    std::vector<double> v(count);
    uint64_t state = 0x9E3779B97F4A7C15ull ^ seed;
    for (double& x : v) {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        x = static_cast<double>(state >> 11) / 4503599627370496.0 - 1.0;  // 2^52
    }
    return v;
}

inline double maxAbs(const std::vector<double>& v) {
    double m = 0.0;
    for (double x : v)
        m = std::fmax(m, std::fabs(x));
    return m;
}

}  // namespace signaltest
