// The C library's transcendental functions that nullmeter and the libraries
// it links call (soxr's filter design above all), computed here from IEEE
// additions, subtractions, multiplications, divisions and square roots
// alone, so that the program computes the same bits on Linux and Windows.
// glibc and the Windows C runtime round sin, log10, pow, atan2 ...
// differently for a few arguments in a thousand; through the FFT tables, the
// alignment estimate and soxr's filters that moves the tool's figures in
// their tenth digit, and nullmeter.exe is to report the native tool's
// figures to the last one.
//
// Linked into the program, these definitions take the place of the C
// library's for every call in it and in its statically linked libraries; a
// native executable's definitions also preempt the shared libraries' (soxr,
// cairo). Each is within 1 ulp (sin, cos, exp, log) to 3 ulp (atan2,
// asin; pow a few where |y ln x| is large), follows C99 Annex F for zeros,
// infinities and NaN, and leaves errno alone.
//
// No math header here: these are the C library's own declarations.
#include <cstdint>

#include "runtime/math/double_double.h"
#include "runtime/math/sine.h"

namespace {

using vexmold::dd::nearestWhole;
using vexmold::dd::Sum;
using vexmold::dd::twoProduct;
using vexmold::dd::twoSum;

constexpr double kInfinity = __builtin_huge_val();

constexpr double kLn2Hi = 0x1.62e42fefa39efp-1, kLn2Lo = 0x1.abc9e3b39803fp-56;
constexpr double kInvLn2 = 0x1.71547652b82fep+0;
constexpr double kInvLn10Hi = 0x1.bcb7b1526e50ep-2, kInvLn10Lo = 0x1.95355baaafad3p-57;
constexpr Sum kPi = {0x1.921fb54442d18p+1, 0x1.1a62633145c07p-53};
constexpr Sum kHalfPi = {0x1.921fb54442d18p+0, 0x1.1a62633145c07p-54};
constexpr Sum kQuarterPi = {0x1.921fb54442d18p-1, 0x1.1a62633145c07p-55};
constexpr Sum kThreeQuarterPi = {0x1.2d97c7f3321d2p+1, 0x1.a79394c9e8a0ap-54};
constexpr double kSqrt2 = 0x1.6a09e667f3bcdp+0;
constexpr double kTanEighthPi = 0x1.a827999fcef32p-2;
// exp overflows above ln(DBL_MAX) and is 0 well below ln(2^-1074).
constexpr double kLargestExponent = 0x1.62e42fefa39efp+9;
constexpr double kSmallestExponent = -746;
// Beyond this, sin and cos are reduced by fmod against 2 pi rounded: such
// arguments' own spacing exceeds 2^7, their sine carries no information.
constexpr double kReductionLimit = 0x1p60;

bool isNaN(double x) {
    return x != x;
}
double magnitude(double x) {
    return __builtin_fabs(x);
}
bool isInfinite(double x) {
    return magnitude(x) == kInfinity;
}

std::uint64_t bitsOf(double x) {
    std::uint64_t b;
    __builtin_memcpy(&b, &x, sizeof b);
    return b;
}
double fromBits(std::uint64_t b) {
    double x;
    __builtin_memcpy(&x, &b, sizeof x);
    return x;
}

// 2^k for -1022 <= k <= 1023.
double powerOfTwo(int k) {
    return fromBits(static_cast<std::uint64_t>(k + 1023) << 52);
}

// v 2^k for v near 1, rounded once (into the subnormals too).
double timesPowerOfTwo(double v, int k) {
    if (k > 1023) {
        v *= 2;
        --k;
    }
    if (k < -1022)
        return (v * powerOfTwo(k + 60)) * 0x1p-60;
    return v * powerOfTwo(k);
}

constexpr double factorial(int n) {
    double v = 1;
    for (int i = 2; i <= n; ++i)
        v *= i;
    return v;
}

// e^(hi + lo) for |hi| <= ln(2)/2 + a little: the series to x^16 leaves
// far less than an ulp.
double expNearZero(Sum r) {
    const double x = r.hi;
    double p = 1 / factorial(16);
    for (int n = 15; n >= 2; --n)
        p = 1 / factorial(n) + x * p;
    const double beyondLinear = x * x * p;
    // e^lo = 1 + lo to far below an ulp: e^(hi + lo) = e^hi + lo e^hi.
    return 1.0 + (x + (r.lo + (x * r.lo + beyondLinear)));
}

// e^t for t = hi + lo, within the finite range.
double expOf(Sum t) {
    const double k = nearestWhole(t.hi * kInvLn2);
    const Sum p = twoProduct(k, kLn2Hi);
    const Sum r0 = twoSum(t.hi, -p.hi);
    const Sum r = twoSum(r0.hi, (r0.lo - p.lo) + (t.lo - k * kLn2Lo));
    return timesPowerOfTwo(expNearZero(r), static_cast<int>(k));
}

// ln x as hi + lo for finite x > 0: x = 2^e m with m in [sqrt(1/2), sqrt(2)],
// f = m - 1 exactly, and ln(1 + f) = 2 atanh(s), s = f / (2 + f), written
// as f - (f^2/2 - s (f^2/2 + R(s^2))) so that f carries the leading bits.
Sum logOf(double x) {
    int e = 0;
    if (x < 0x1p-1022) {
        x *= 0x1p54;
        e = -54;
    }
    const std::uint64_t b = bitsOf(x);
    e += static_cast<int>((b >> 52) & 0x7ff) - 1023;
    double m = fromBits((b & 0x000fffffffffffffULL) | 0x3ff0000000000000ULL);
    if (m > kSqrt2) {
        m *= 0.5;
        ++e;
    }
    const double f = m - 1.0;
    const double s = f / (2.0 + f);
    const double z = s * s;
    // R = sum of 2 z^k / (2k + 1), k >= 1; z <= 0.0295, 11 terms.
    double r = 2.0 / 23;
    for (int k = 10; k >= 1; --k)
        r = 2.0 / (2 * k + 1) + z * r;
    r *= z;
    const double halfSquare = 0.5 * f * f;
    const double tail = halfSquare - s * (halfSquare + r);
    const Sum scale = twoProduct(static_cast<double>(e), kLn2Hi);
    const Sum head = twoSum(scale.hi, f);
    return twoSum(head.hi, ((head.lo + scale.lo) + e * kLn2Lo) - tail);
}

// atan u for |u| <= tan(pi/8) + a little: the series to u^45.
double atanNearZero(double u) {
    const double z = u * u;
    double p = 1.0 / 45;  // k = 22 of (-1)^k / (2k + 1)
    for (int k = 21; k >= 1; --k)
        p = (k % 2 == 1 ? -1.0 : 1.0) / (2 * k + 1) + z * p;
    return u + u * (z * p);
}

// atan t for t >= 0, as hi + lo.
Sum atanOfNonNegative(double t) {
    if (t <= kTanEighthPi)
        return {atanNearZero(t), 0.0};
    if (t <= 1 / kTanEighthPi) {
        const double a = atanNearZero((t - 1) / (t + 1));
        return twoSum(kQuarterPi.hi, kQuarterPi.lo + a);
    }
    const double a = atanNearZero(-1 / t);
    return twoSum(kHalfPi.hi, kHalfPi.lo + a);
}

double withSignOf(double value, double signOf) {
    return __builtin_copysign(value, signOf);
}

// y is a whole number, and an odd one.
bool isWhole(double y) {
    return nearestWhole(y) == y;
}
bool isOddWhole(double y) {
    return magnitude(y) < 0x1p53 && isWhole(y) && !isWhole(y * 0.5);
}

// A logarithm's value for NaN, negative numbers, zero and infinity.
bool logSpecialCase(double x, double& value) {
    if (isNaN(x))
        value = x + x;
    else if (x < 0)
        value = __builtin_nan("");
    else if (x == 0)
        value = -kInfinity;
    else if (x == kInfinity)
        value = x;
    else
        return false;
    return true;
}

double sineOrCosine(double x, bool cosine) {
    if (magnitude(x) >= kReductionLimit && !isInfinite(x))
        x = __builtin_fmod(x, 2 * kPi.hi);
    return cosine ? vexmold::portableCos(x) : vexmold::portableSin(x);
}

}  // namespace

extern "C" {

double sin(double x) {
    return sineOrCosine(x, false);
}

double cos(double x) {
    return sineOrCosine(x, true);
}

void sincos(double x, double* s, double* c) {
    *s = sineOrCosine(x, false);
    *c = sineOrCosine(x, true);
}

float cosf(float x) {
    return static_cast<float>(sineOrCosine(x, true));
}

void sincosf(float x, float* s, float* c) {
    *s = static_cast<float>(sineOrCosine(x, false));
    *c = static_cast<float>(sineOrCosine(x, true));
}

double exp(double x) {
    if (isNaN(x))
        return x + x;
    if (x > kLargestExponent)
        return kInfinity;
    if (x < kSmallestExponent)
        return 0.0;
    return expOf({x, 0.0});
}

double log(double x) {
    double special;
    if (logSpecialCase(x, special))
        return special;
    const Sum l = logOf(x);
    return l.hi + l.lo;
}

double log10(double x) {
    double special;
    if (logSpecialCase(x, special))
        return special;
    const Sum l = logOf(x);
    const Sum p = twoProduct(l.hi, kInvLn10Hi);
    return p.hi + (p.lo + (l.hi * kInvLn10Lo + l.lo * kInvLn10Hi));
}

double pow(double x, double y) {
    if (y == 0 || x == 1)
        return 1.0;
    if (isNaN(x) || isNaN(y))
        return x + y;
    const double size = magnitude(x);
    if (isInfinite(y)) {
        if (size == 1)
            return 1.0;
        return (size > 1) == (y > 0) ? kInfinity : 0.0;
    }
    const bool odd = isOddWhole(y);
    if (x == 0 || isInfinite(x)) {
        // 0^y and inf^y: 0 or inf as (y > 0) says, inverted for inf.
        const double result = (y > 0) == (x == 0) ? 0.0 : kInfinity;
        return odd ? withSignOf(result, x) : result;
    }
    if (x < 0 && !isWhole(y))
        return __builtin_nan("");
    const Sum l = logOf(size);
    const Sum p = twoProduct(y, l.hi);
    const Sum t = twoSum(p.hi, p.lo + y * l.lo);
    double result;
    if (t.hi > kLargestExponent + 1)
        result = kInfinity;
    else if (t.hi < kSmallestExponent)
        result = 0.0;
    else
        result = expOf(t);
    return x < 0 && odd ? -result : result;
}

double atan2(double y, double x) {
    if (isNaN(x) || isNaN(y))
        return x + y;
    if (y == 0) {
        // +-0 towards a positive x (or +0), +-pi towards a negative one (or -0).
        return __builtin_signbit(x) ? withSignOf(kPi.hi + kPi.lo, y) : y;
    }
    if (isInfinite(x)) {
        if (isInfinite(y))
            return withSignOf(x > 0 ? kQuarterPi.hi : kThreeQuarterPi.hi, y);
        return withSignOf(x > 0 ? 0.0 : kPi.hi + kPi.lo, y);
    }
    if (x == 0 || isInfinite(y))
        return withSignOf(kHalfPi.hi + kHalfPi.lo, y);
    const double t = magnitude(y) / magnitude(x);
    Sum a = t == kInfinity ? kHalfPi : atanOfNonNegative(t);
    if (x < 0) {
        const Sum d = twoSum(kPi.hi, -a.hi);
        a = twoSum(d.hi, (d.lo + kPi.lo) - a.lo);
    }
    return withSignOf(a.hi + a.lo, y);
}

double asin(double x) {
    if (isNaN(x))
        return x + x;
    if (magnitude(x) > 1)
        return __builtin_nan("");
    return atan2(x, __builtin_sqrt((1 - x) * (1 + x)));
}

double hypot(double x, double y) {
    if (isInfinite(x) || isInfinite(y))
        return kInfinity;
    if (isNaN(x) || isNaN(y))
        return x + y;
    double a = magnitude(x), b = magnitude(y);
    if (a < b) {
        const double larger = b;
        b = a;
        a = larger;
    }
    if (a == 0)
        return 0.0;
    const double r = b / a;
    return a * __builtin_sqrt(1 + r * r);
}

}  // extern "C"
