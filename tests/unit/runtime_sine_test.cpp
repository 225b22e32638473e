// The portable sine and cosine: within one ulp of an accurate reference across the range
// a tone's phase reaches, exact at the special values. That both builds make
// the same bits is checked where both builds meet (the integration tests).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>

#include "runtime/math/sine.h"

namespace {

// Distance in representable doubles.
int64_t ulpDistance(double a, double b) {
    auto ordered = [](double d) {
        int64_t i = 0;
        std::memcpy(&i, &d, sizeof i);
        return i < 0 ? std::numeric_limits<int64_t>::min() - i : i;
    };
    const int64_t d = ordered(a) - ordered(b);
    return d < 0 ? -d : d;
}

// glibc's sine, the reference, is within an ulp of the true value
// everywhere. The Windows runtime's sines (double and x87 long double) are
// several ulps off near multiples of pi, so this comparison runs natively.
#ifndef _WIN32
TEST(PortableSine, WithinOneUlpOfAnAccurateSineFromSmallToHugeArguments) {
    std::mt19937_64 random(7);
    int64_t worst = 0;
    auto check = [&](double x) {
        const int64_t d = ulpDistance(vexmold::portableSin(x), std::sin(x));
        worst = d > worst ? d : worst;
        return d;
    };
    for (int i = 0; i < 20000; ++i)
        ASSERT_LE(check(std::uniform_real_distribution<double>(-8.0, 8.0)(random)), 1);
    const double increment = 6.283185307179586 * 997.0 / 48000.0;
    for (int i = 0; i < 20000; ++i)
        ASSERT_LE(check(i * increment), 1) << i;
    // Magnitudes up to 2^59, where the first guess of the quadrant is off and
    // the reduction cancels more than fifty bits.
    for (int i = 0; i < 20000; ++i) {
        const double x = std::ldexp(std::uniform_real_distribution<double>(1.0, 2.0)(random),
                                    static_cast<int>(random() % 60));
        ASSERT_LE(check(i % 2 ? x : -x), 1) << x;
    }
    // A 997 Hz phase at 48 kHz a day into a session.
    for (int i = 0; i < 20000; ++i)
        ASSERT_LE(check((4147200000.0 + i) * increment), 1) << i;
    EXPECT_LE(worst, 1);
}

// The cosine shares the reduction, a quarter turn on: the same bound, and
// the same bits as the sine a quarter turn later where that is exact.
TEST(PortableSine, CosineWithinOneUlpToo) {
    std::mt19937_64 random(11);
    for (int i = 0; i < 20000; ++i) {
        const double x = std::ldexp(std::uniform_real_distribution<double>(-2.0, 2.0)(random),
                                    static_cast<int>(random() % 40));
        ASSERT_LE(ulpDistance(vexmold::portableCos(x), std::cos(x)), 1) << x;
    }
}
#endif

TEST(PortableSine, QuarterTurnsAndSpecialValues) {
    // Near multiples of pi/2 the remainder is tiny and must keep its digits.
    EXPECT_EQ(vexmold::portableSin(3.141592653589793), 1.2246467991473532e-16);
    EXPECT_EQ(vexmold::portableSin(1.5707963267948966), 1.0);
    EXPECT_LE(ulpDistance(vexmold::portableSin(6.283185307179586), -2.4492935982947064e-16), 1);
    EXPECT_EQ(vexmold::portableSin(0.5), std::sin(0.5));

    const double negativeZero = vexmold::portableSin(-0.0);
    EXPECT_EQ(negativeZero, 0.0);
    EXPECT_TRUE(std::signbit(negativeZero));
    EXPECT_EQ(vexmold::portableSin(1e-300), 1e-300);
    EXPECT_TRUE(std::isnan(vexmold::portableSin(std::numeric_limits<double>::quiet_NaN())));
    EXPECT_TRUE(std::isnan(vexmold::portableSin(std::numeric_limits<double>::infinity())));
    EXPECT_TRUE(std::isnan(vexmold::portableSin(-std::numeric_limits<double>::infinity())));
    // Odd symmetry holds bit for bit.
    for (double x : {0.3, 2.0, 1e5, 123456789.123, 0x1.6b38a27d1a218p+58})
        EXPECT_EQ(vexmold::portableSin(-x), -vexmold::portableSin(x)) << x;
    // The cosine: 1 at zero and near it, even, NaN beyond the reals.
    EXPECT_EQ(vexmold::portableCos(0.0), 1.0);
    EXPECT_EQ(vexmold::portableCos(-1e-9), 1.0);
    EXPECT_LE(ulpDistance(vexmold::portableCos(1.5707963267948966), 6.123233995736766e-17), 1);
    EXPECT_EQ(vexmold::portableCos(3.141592653589793), -1.0);
    for (double x : {0.3, 2.0, 1e5, 0x1.6b38a27d1a218p+58})
        EXPECT_EQ(vexmold::portableCos(-x), vexmold::portableCos(x)) << x;
    EXPECT_TRUE(std::isnan(vexmold::portableCos(std::numeric_limits<double>::infinity())));
}

}  // namespace
