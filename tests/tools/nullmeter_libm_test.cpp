// The transcendental functions nullmeter defines in place of the C
// library's (tools/nullmeter/portable_libm.cpp; this program links them as
// the tool does): within an ulp or two of the extended-precision results,
// the same bits for a few fixed arguments on both builds, and C99's values
// for zeros, infinities and NaN.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
const double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kPi = 3.141592653589793;

// Through memory, so that the compiler cannot work the call out itself.
double opaque(double x) {
    volatile double kept = x;
    return kept;
}

// How many doubles lie between a and the reference, rounded.
double ulps(double a, long double reference) {
    const double r = static_cast<double>(reference);
    if (a == r)
        return 0;
    const double ulp = std::nextafter(std::fabs(r), kInf) - std::fabs(r);
    return static_cast<double>(std::fabs(static_cast<long double>(a) - reference) / ulp);
}

std::uint64_t bits(double x) {
    std::uint64_t b;
    std::memcpy(&b, &x, sizeof b);
    return b;
}

TEST(NullmeterLibm, WithinAnUlpOrTwoOfExtendedPrecision) {
    std::mt19937_64 random(7);
    const auto unit = [&] { return static_cast<double>(random() >> 11) * 0x1p-53; };
    double worst[8] = {};
    for (int i = 0; i < 20000; ++i) {
        const double x = (unit() - 0.5) * 200;  // +-100
        // Within a quarter turn, where the x87's sinl and cosl (the Windows
        // references) are exact too; runtime_sine_test covers wide ones.
        const double q = (unit() - 0.5) * 1.5;
        const double p = std::ldexp(unit() + 0.5, static_cast<int>(random() % 200) - 100);
        const double y = (unit() - 0.5) * 20;
        const double e = (unit() - 0.5) * 1400;  // exp's whole range
        const double v = (unit() - 0.5) * 2;     // asin's domain
        const double checks[8] = {
            ulps(std::sin(q), sinl(q)),     ulps(std::cos(q), cosl(opaque(q))),
            ulps(std::exp(e), expl(e)),     ulps(std::log(p), logl(p)),
            ulps(std::log10(p), log10l(p)), ulps(std::atan2(x, y), atan2l(x, y)),
            ulps(std::asin(v), asinl(v)),   ulps(std::hypot(x, y), hypotl(x, y))};
        for (int k = 0; k < 8; ++k)
            worst[k] = std::max(worst[k], checks[k]);
    }
    const char* names[8] = {"sin", "cos", "exp", "log", "log10", "atan2", "asin", "hypot"};
    const double limits[8] = {1, 1, 1, 1, 2, 3, 3, 2};
    for (int k = 0; k < 8; ++k)
        EXPECT_LE(worst[k], limits[k]) << names[k];

    // pow: the error grows with |y ln x|; a few ulps where that stays below 50.
    double worstPow = 0;
    for (int i = 0; i < 20000; ++i) {
        const double x = std::ldexp(unit() + 0.5, static_cast<int>(random() % 20) - 10);
        const double y = (unit() - 0.5) * 10;
        worstPow = std::max(worstPow, ulps(std::pow(x, y), powl(x, y)));
    }
    EXPECT_LE(worstPow, 4);
}

// Fixed bits: what the tool's figures rest on is the same on both systems.
TEST(NullmeterLibm, FixedArgumentsGiveFixedBits) {
    EXPECT_EQ(bits(std::log10(opaque(0.5))), bits(-0.30102999566398120));
    EXPECT_EQ(std::log10(opaque(1000.0)), 3.0);
    EXPECT_EQ(std::log(opaque(1.0)), 0.0);
    EXPECT_EQ(std::exp(opaque(0.0)), 1.0);
    EXPECT_EQ(std::pow(opaque(10.0), opaque(2.0)), 100.0);
    EXPECT_EQ(std::pow(opaque(2.0), opaque(-3.0)), 0.125);
    EXPECT_EQ(std::sin(opaque(kPi / 2)), 1.0);
    EXPECT_EQ(std::cos(opaque(0.0)), 1.0);
    EXPECT_EQ(std::atan2(opaque(1.0), opaque(1.0)), kPi / 4);
    EXPECT_EQ(std::asin(opaque(1.0)), kPi / 2);
    EXPECT_EQ(std::hypot(opaque(3.0), opaque(4.0)), 5.0);
    EXPECT_EQ(std::exp(opaque(-745.2)), 0.0);
    EXPECT_EQ(std::exp(opaque(709.8)), kInf);
    EXPECT_GT(std::exp(opaque(709.78)), 1.7e308);
    EXPECT_GT(std::exp(opaque(-744.0)), 0.0);  // a subnormal
}

TEST(NullmeterLibm, ZerosInfinitiesAndNaNAsC99Says) {
    EXPECT_TRUE(std::isnan(std::log(opaque(-1.0))));
    EXPECT_EQ(std::log(opaque(0.0)), -kInf);
    EXPECT_EQ(std::log10(opaque(kInf)), kInf);
    EXPECT_NEAR(std::log(opaque(std::numeric_limits<double>::denorm_min())), -744.44007192138126,
                1e-12);
    EXPECT_TRUE(std::isnan(std::asin(opaque(1.5))));
    EXPECT_TRUE(std::isnan(std::sin(opaque(kInf))));
    EXPECT_TRUE(std::isnan(std::exp(opaque(kNaN))));
    EXPECT_EQ(std::exp(opaque(-kInf)), 0.0);

    EXPECT_EQ(std::pow(opaque(kNaN), opaque(0.0)), 1.0);
    EXPECT_EQ(std::pow(opaque(1.0), opaque(kNaN)), 1.0);
    EXPECT_TRUE(std::isnan(std::pow(opaque(-2.0), opaque(0.5))));
    EXPECT_EQ(std::pow(opaque(-2.0), opaque(3.0)), -8.0);
    EXPECT_EQ(std::pow(opaque(-2.0), opaque(2.0)), 4.0);
    EXPECT_EQ(std::pow(opaque(-0.0), opaque(-3.0)), -kInf);
    EXPECT_EQ(std::pow(opaque(0.0), opaque(-2.0)), kInf);
    EXPECT_TRUE(std::signbit(std::pow(opaque(-0.0), opaque(3.0))));
    EXPECT_EQ(std::pow(opaque(-1.0), opaque(kInf)), 1.0);
    EXPECT_EQ(std::pow(opaque(0.5), opaque(-kInf)), kInf);
    EXPECT_EQ(std::pow(opaque(2.0), opaque(-kInf)), 0.0);
    EXPECT_EQ(std::pow(opaque(-kInf), opaque(3.0)), -kInf);
    EXPECT_TRUE(std::signbit(std::pow(opaque(-kInf), opaque(-3.0))));
    EXPECT_EQ(std::pow(opaque(10.0), opaque(400.0)), kInf);
    EXPECT_EQ(std::pow(opaque(10.0), opaque(-400.0)), 0.0);

    EXPECT_TRUE(std::signbit(std::atan2(opaque(-0.0), opaque(1.0))));
    EXPECT_EQ(std::atan2(opaque(0.0), opaque(-1.0)), kPi);
    EXPECT_EQ(std::atan2(opaque(-0.0), opaque(-0.0)), -kPi);
    EXPECT_EQ(std::atan2(opaque(1.0), opaque(0.0)), kPi / 2);
    EXPECT_EQ(std::atan2(opaque(kInf), opaque(-kInf)), 3 * kPi / 4);
    EXPECT_EQ(std::atan2(opaque(-1.0), opaque(kInf)), 0.0);
    EXPECT_TRUE(std::isnan(std::atan2(opaque(kNaN), opaque(1.0))));
    EXPECT_EQ(std::hypot(opaque(kInf), opaque(kNaN)), kInf);
    EXPECT_EQ(std::hypot(opaque(0.0), opaque(-0.0)), 0.0);
}

}  // namespace
