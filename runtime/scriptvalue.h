// Value conventions shared by every code section of a script: all values are
// doubles, non-finite results are stored as 0, equality has a small tolerance
// and values become integer indices by truncation nudged away from zero.
#pragma once

#include <cmath>
#include <cstdint>

namespace vexmold {

// Section code never stores NaN or infinity; it stores 0 instead.
inline double finiteOrZero(double v) {
    return std::isfinite(v) ? v : 0.0;
}

// Equality of script values: |a - b| below 0.00001.
inline bool scriptEquals(double a, double b) {
    const double d = a - b;
    return d > -0.00001 && d < 0.00001;
}

// A value used as an index: trunc(x + 0.0001) for x >= 0, trunc(x - 0.0001)
// below. Values outside the int32 range (and NaN) cannot name anything and
// saturate, so the conversion itself never has undefined behaviour.
inline int32_t scriptIndex(double x) {
    const double nudged = x >= 0.0 ? x + 0.0001 : x - 0.0001;
    if (std::isnan(nudged))
        return 0;
    if (nudged <= -2147483649.0)
        return INT32_MIN;
    if (nudged >= 2147483648.0)
        return INT32_MAX;
    return static_cast<int32_t>(nudged);  // truncates toward zero
}

// A repeat-while loop of section code gives up after this many rounds.
constexpr int kMaxLoopIterations = 1000000;

}  // namespace vexmold
