// Test signals of `vsthost render`; its levels are channel_levels_test.cpp's.
#include "tools/vsthost/signal_generator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

using plux::vsthost::generateSignal;
using plux::vsthost::TestSignal;

TestSignal sine(double hz, double amp) {
    TestSignal s;
    s.kind = TestSignal::Kind::Sine;
    s.frequency = hz;
    s.amplitude = amp;
    return s;
}

TEST(VsthostSignal, SineHitsItsQuarterPeriodPoints) {
    // 12 kHz at 48 kHz: four samples a period, 0, +A, 0, -A.
    const auto a = generateSignal(sine(12000.0, 0.5), 48000, 2, 8);
    EXPECT_EQ(a.sampleRate, 48000);
    ASSERT_EQ(a.channels.size(), 2u);
    ASSERT_EQ(a.frameCount(), 8u);
    const double expected[] = {0.0, 0.5, 0.0, -0.5};
    for (std::size_t n = 0; n < 8; ++n) {
        EXPECT_NEAR(a.channels[0][n], expected[n % 4], 1e-15) << n;
    }
    EXPECT_EQ(a.channels[0], a.channels[1]);
}

TEST(VsthostSignal, SilenceIsZero) {
    TestSignal s;
    const auto a = generateSignal(s, 44100, 3, 100);
    ASSERT_EQ(a.channels.size(), 3u);
    for (const auto& ch : a.channels)
        EXPECT_EQ(ch, std::vector<double>(100, 0.0));
}

TEST(VsthostSignal, NoiseStaysInRangeDiffersPerChannelAndRepeats) {
    TestSignal s;
    s.kind = TestSignal::Kind::Noise;
    s.amplitude = 0.25;
    const auto a = generateSignal(s, 44100, 2, 20000);
    const auto b = generateSignal(s, 44100, 2, 20000);
    EXPECT_EQ(a.channels, b.channels);
    EXPECT_NE(a.channels[0], a.channels[1]);
    double sum = 0.0, lo = 1.0, hi = -1.0;
    for (double x : a.channels[0]) {
        ASSERT_GE(x, -0.25);
        ASSERT_LT(x, 0.25);
        sum += x;
        lo = std::min(lo, x);
        hi = std::max(hi, x);
    }
    // Uniform noise: mean near 0, extremes near the bounds.
    EXPECT_NEAR(sum / 20000.0, 0.0, 0.01);
    EXPECT_LT(lo, -0.245);
    EXPECT_GT(hi, 0.245);
}

}  // namespace
