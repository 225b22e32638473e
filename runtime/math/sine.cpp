#include "runtime/math/sine.h"

#include "runtime/math/double_double.h"

#include <cmath>
#include <cstdint>

namespace vexmold {

namespace {

// pi/2 as the sum of three doubles (about 160 bits), and 2/pi rounded.
constexpr double kHalfPi1 = 0x1.921fb54442d18p+0;
constexpr double kHalfPi2 = 0x1.1a62633145c07p-54;
constexpr double kHalfPi3 = -0x1.f1976b7ed8fbcp-110;
constexpr double kTwoOverPi = 0x1.45f306dc9c883p-1;
constexpr double kReductionLimit = 0x1p60;

using dd::Sum;
using dd::twoProduct;
using dd::twoSum;

// x - k pi/2 in double-double; k is a whole number below 2^61. Every partial
// difference that can carry bits of the result is taken exactly (twoSum), so
// the cancellation of large x leaves a full-precision remainder.
Sum subtractQuarterTurns(Sum x, double k) {
    const Sum p1 = twoProduct(k, kHalfPi1);
    const Sum p2 = twoProduct(k, kHalfPi2);
    const double a = x.hi - p1.hi;  // exact: within a factor 2 of each other when k != 0
    const Sum b = twoSum(a, -p1.lo);
    const Sum c = twoSum(b.hi, -p2.hi);
    const double tail = ((x.lo + b.lo) + (c.lo - p2.lo)) - k * kHalfPi3;
    return twoSum(c.hi, tail);
}

using dd::nearestWhole;

// Taylor terms 1/n! with alternating signs; on |r| <= pi/4 + a little the
// series cut after r^21 (sine) and r^22 (cosine) is exact to far below 1 ulp.
constexpr double f(int n) {
    double v = 1.0;
    for (int i = 2; i <= n; ++i)
        v *= i;
    return v;
}
constexpr double kS3 = -1.0 / f(3), kS5 = 1.0 / f(5), kS7 = -1.0 / f(7), kS9 = 1.0 / f(9),
                 kS11 = -1.0 / f(11), kS13 = 1.0 / f(13), kS15 = -1.0 / f(15), kS17 = 1.0 / f(17),
                 kS19 = -1.0 / f(19), kS21 = 1.0 / f(21);
constexpr double kC4 = 1.0 / f(4), kC6 = -1.0 / f(6), kC8 = 1.0 / f(8), kC10 = -1.0 / f(10),
                 kC12 = 1.0 / f(12), kC14 = -1.0 / f(14), kC16 = 1.0 / f(16), kC18 = -1.0 / f(18),
                 kC20 = 1.0 / f(20), kC22 = -1.0 / f(22);

// sin(hi + lo) for a reduced argument.
double sineKernel(Sum r) {
    const double z = r.hi * r.hi;
    const double p =
        z *
        (kS3 +
         z * (kS5 +
              z * (kS7 + z * (kS9 + z * (kS11 +
                                         z * (kS13 +
                                              z * (kS15 + z * (kS17 + z * (kS19 + z * kS21)))))))));
    // sin(hi + lo) ~ sin(hi) + lo cos(hi), with cos(hi) ~ 1 - z / 2.
    return r.hi + (r.hi * p + r.lo * (1.0 - 0.5 * z));
}

// cos(hi + lo) for a reduced argument.
double cosineKernel(Sum r) {
    const double z = r.hi * r.hi;
    const double q =
        kC4 +
        z * (kC6 +
             z * (kC8 +
                  z * (kC10 +
                       z * (kC12 + z * (kC14 + z * (kC16 + z * (kC18 + z * (kC20 + z * kC22))))))));
    const double half = 0.5 * z;
    const double w = 1.0 - half;
    // 1 - z/2 rounds; its rounding error is carried into the small terms.
    return w + (((1.0 - w) - half) + (z * z * q - r.hi * r.lo));
}

// sin x for quarterTurns 0 and cos x for 1: the sine of x + quarterTurns
// pi/2, reduced exactly.
double sineOfShifted(double x, int64_t quarterTurns) {
    const double k = nearestWhole(x * kTwoOverPi);
    Sum r = subtractQuarterTurns({x, 0.0}, k);
    // The quadrant is k mod 4: k is whole and below 2^61, so it converts
    // exactly (a double that large has no room for the ones digit of a sum).
    int64_t quadrant = static_cast<int64_t>(k) + quarterTurns;
    // The first estimate of k can be off by a few for large x (x * 2/pi
    // rounds); one more reduction of the remainder settles it.
    if (std::fabs(r.hi) > 0.8) {
        const double extra = nearestWhole(r.hi * kTwoOverPi);
        r = subtractQuarterTurns(r, extra);
        quadrant += static_cast<int64_t>(extra);
    }
    switch (quadrant & 3) {
    case 0:
        return sineKernel(r);
    case 1:
        return cosineKernel(r);
    case 2:
        return -sineKernel(r);
    default:
        return -cosineKernel(r);
    }
}

}  // namespace

double portableSin(double x) {
    if (!std::isfinite(x))
        return x - x;  // NaN, for NaN and both infinities
    const double magnitude = std::fabs(x);
    if (magnitude < 0x1p-26)
        return x;  // sin x = x - x^3/6 rounds to x here; keeps -0
    if (magnitude >= kReductionLimit)
        return std::sin(x);
    return sineOfShifted(x, 0);
}

double portableCos(double x) {
    if (!std::isfinite(x))
        return x - x;
    const double magnitude = std::fabs(x);
    if (magnitude < 0x1p-27)
        return 1.0;  // cos x = 1 - x^2/2 rounds to 1 here
    if (magnitude >= kReductionLimit)
        return std::cos(x);
    return sineOfShifted(x, 1);
}

}  // namespace vexmold
