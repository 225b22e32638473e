// Value conventions of script sections: non-finite values become 0, equality
// has a tolerance of 0.00001 and indices are truncated after a 0.0001 nudge
// away from zero.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

#include "runtime/scriptvalue.h"

namespace {

using vexmold::finiteOrZero;
using vexmold::scriptEquals;
using vexmold::scriptIndex;

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

TEST(RuntimeScriptValueFiniteOrZero, NonFiniteBecomesZeroFiniteIsKept) {
    EXPECT_EQ(finiteOrZero(kNaN), 0.0);
    EXPECT_EQ(finiteOrZero(kInf), 0.0);
    EXPECT_EQ(finiteOrZero(-kInf), 0.0);

    EXPECT_EQ(finiteOrZero(1.5), 1.5);
    EXPECT_EQ(finiteOrZero(-123456.25), -123456.25);
    EXPECT_EQ(finiteOrZero(std::numeric_limits<double>::max()), std::numeric_limits<double>::max());
    EXPECT_EQ(finiteOrZero(std::numeric_limits<double>::denorm_min()),
              std::numeric_limits<double>::denorm_min());
    // A negative zero is a finite value and keeps its sign.
    EXPECT_TRUE(std::signbit(finiteOrZero(-0.0)));
}

TEST(RuntimeScriptValueEquals, ToleranceIsStrictlyBelowOneHundredThousandth) {
    // Differences of exactly 0.00001 are not equal, in either direction.
    EXPECT_FALSE(scriptEquals(0.00001, 0.0));
    EXPECT_FALSE(scriptEquals(0.0, 0.00001));
    EXPECT_FALSE(scriptEquals(-0.00001, 0.0));

    // The largest doubles below the tolerance are equal, both signs.
    const double justBelow = std::nextafter(0.00001, 0.0);
    EXPECT_TRUE(scriptEquals(justBelow, 0.0));
    EXPECT_TRUE(scriptEquals(0.0, justBelow));
    EXPECT_TRUE(scriptEquals(-justBelow, 0.0));

    EXPECT_TRUE(scriptEquals(5.0, 5.000009));
    EXPECT_FALSE(scriptEquals(5.0, 5.00002));
    EXPECT_TRUE(scriptEquals(-0.0, 0.0));
}

TEST(RuntimeScriptValueEquals, NonFiniteOperandsAreNeverEqual) {
    EXPECT_FALSE(scriptEquals(kNaN, kNaN));
    EXPECT_FALSE(scriptEquals(kNaN, 0.0));
    EXPECT_FALSE(scriptEquals(0.0, kNaN));
    // inf - inf is NaN, so even identical infinities differ.
    EXPECT_FALSE(scriptEquals(kInf, kInf));
    EXPECT_FALSE(scriptEquals(kInf, 1.0));
}

TEST(RuntimeScriptValueIndex, NudgeAwayFromZeroThenTruncate) {
    EXPECT_EQ(scriptIndex(0.0), 0);
    EXPECT_EQ(scriptIndex(1.99995), 2);  // 2.00005 truncates to 2
    EXPECT_EQ(scriptIndex(1.9998), 1);   // 1.9999 truncates to 1
    EXPECT_EQ(scriptIndex(2.5), 2);
    EXPECT_EQ(scriptIndex(129.0), 129);
    EXPECT_EQ(scriptIndex(-1.0), -1);
    EXPECT_EQ(scriptIndex(-0.99995), -1);  // -1.00005 truncates to -1
    EXPECT_EQ(scriptIndex(-0.5), 0);       // -0.5001 truncates toward zero
    EXPECT_EQ(scriptIndex(-1.9998), -1);
    EXPECT_EQ(scriptIndex(-2.5), -2);
    EXPECT_EQ(scriptIndex(-0.0), 0);
}

TEST(RuntimeScriptValueIndex, NaNAndValuesBeyondInt32Saturate) {
    EXPECT_EQ(scriptIndex(kNaN), 0);
    EXPECT_EQ(scriptIndex(kInf), INT32_MAX);
    EXPECT_EQ(scriptIndex(-kInf), INT32_MIN);
    EXPECT_EQ(scriptIndex(1e300), INT32_MAX);
    EXPECT_EQ(scriptIndex(-1e300), INT32_MIN);
    EXPECT_EQ(scriptIndex(4294967296.0), INT32_MAX);
    EXPECT_EQ(scriptIndex(-4294967296.0), INT32_MIN);

    // The edges of the int32 range are still reached exactly.
    EXPECT_EQ(scriptIndex(2147483647.0), INT32_MAX);
    EXPECT_EQ(scriptIndex(2147483646.0), 2147483646);
    EXPECT_EQ(scriptIndex(-2147483648.0), INT32_MIN);
    EXPECT_EQ(scriptIndex(-2147483647.0), -2147483647);
    EXPECT_EQ(scriptIndex(2147483647.9999), INT32_MAX);
    EXPECT_EQ(scriptIndex(-2147483648.9), INT32_MIN);
}

}  // namespace
