// Helpers of the signal-library tests: reproducible test signals and
// reference sums in long double.
#pragma once

#include <cmath>
#include <cstdint>
#include <vector>

#include "tests/support/noise_signal.h"

namespace signaltest {

constexpr long double kPiL = 3.141592653589793238462643383279502884L;

// Reproducible values in [-1, 1): the tests' one white noise.
inline std::vector<double> randomSignal(std::size_t count, uint32_t seed) {
    return plux::testing_support::whiteNoise(count, seed, 1.0);
}

inline double maxAbs(const std::vector<double>& v) {
    double m = 0.0;
    for (double x : v)
        m = std::fmax(m, std::fabs(x));
    return m;
}

}  // namespace signaltest
