// Exact sums and products of doubles (a value held as hi + lo) and the
// nearest whole number, from IEEE additions, subtractions and
// multiplications alone: the same bits on every system (the build turns
// off contraction into fused multiply-adds).
#pragma once

namespace vexmold::dd {

// A value held as an unevaluated sum hi + lo, |lo| <= ulp(hi) / 2.
struct Sum {
    double hi;
    double lo;
};

inline Sum twoSum(double a, double b) {
    const double s = a + b;
    const double bb = s - a;
    return {s, (a - (s - bb)) + (b - bb)};
}

// Dekker's exact product through Veltkamp's split.
inline Sum twoProduct(double a, double b) {
    constexpr double kSplitter = 134217729.0;  // 2^27 + 1
    const double ta = kSplitter * a;
    const double aHi = ta - (ta - a);
    const double aLo = a - aHi;
    const double tb = kSplitter * b;
    const double bHi = tb - (tb - b);
    const double bLo = b - bHi;
    const double p = a * b;
    return {p, ((aHi * bHi - p) + aHi * bLo + aLo * bHi) + aLo * bLo};
}

// The nearest whole number, ties to even, as std::nearbyint in the default
// rounding mode but without a library call: below 2^52, adding 2^52 (with
// t's sign) leaves no bits for a fraction, and taking it away again is
// exact; from 2^52 on every double is whole.
inline double nearestWhole(double t) {
    if (!(t < 0x1p52 && t > -0x1p52))
        return t;
    const double shift = t < 0 ? -0x1p52 : 0x1p52;
    return (t + shift) - shift;
}

}  // namespace vexmold::dd
