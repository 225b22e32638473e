#include "tools/nullmeter/alignment.h"
#include "tools/nullmeter/diagnosis.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "tests/support/noise_signal.h"

namespace {

using nullmeter::estimateAlignment;
using Channels = std::vector<std::vector<double>>;

std::vector<double> noise(std::size_t n, unsigned seed, double amplitude = 0.5) {
    return plux::testing_support::whiteNoise(n, seed, amplitude);
}

// B[i + lag] = scale * A[i]: a stretch of `source`, as an excerpt of B that
// starts at the same frame as the excerpt of A (frames `margin` on).
void excerpts(const std::vector<double>& source, std::int64_t lag, double scale, std::size_t frames,
              std::size_t margin, std::vector<double>& a, std::vector<double>& b) {
    a.assign(source.begin() + static_cast<std::ptrdiff_t>(margin),
             source.begin() + static_cast<std::ptrdiff_t>(margin + frames));
    b.resize(frames);
    for (std::size_t i = 0; i < frames; ++i)
        b[i] =
            scale * source[static_cast<std::size_t>(static_cast<std::int64_t>(margin + i) - lag)];
}

TEST(NullmeterAlignment, FindsKnownLagsAcrossTheSearchRange) {
    const std::int64_t maxLag = 20000;
    const std::vector<double> source = noise(200000, 1);
    for (std::int64_t lag : {0L, 1L, -1L, 1234L, -17001L, 19999L, -20000L, 20000L}) {
        std::vector<double> a, b;
        excerpts(source, lag, 1.0, 90000, 30000, a, b);
        const auto e = estimateAlignment({a}, {b}, maxLag);
        EXPECT_TRUE(e.found) << lag;
        EXPECT_EQ(e.offsetFrames, lag);
        EXPECT_NEAR(e.subSampleOffset, static_cast<double>(lag), 0.05) << lag;
        EXPECT_EQ(e.polarity, 1);
        EXPECT_NEAR(e.gain, 1.0, 1e-12);
        EXPECT_GT(e.correlation, 0.99);
    }
}

TEST(NullmeterAlignment, LagBeyondTheRangeIsNotReported) {
    const std::vector<double> source = noise(200000, 2);
    std::vector<double> a, b;
    excerpts(source, 5100, 1.0, 90000, 30000, a, b);
    const auto e = estimateAlignment({a}, {b}, 5000);
    EXPECT_FALSE(e.found);
    EXPECT_LT(e.correlation, 0.05);
    // The same excerpts with the range widened.
    EXPECT_EQ(estimateAlignment({a}, {b}, 5100).offsetFrames, 5100);
}

TEST(NullmeterAlignment, IdenticalExcerptsAreExact) {
    const std::vector<double> a = noise(50000, 3);
    const auto e = estimateAlignment({a, noise(50000, 4)}, {a, noise(50000, 4)}, 48000);
    ASSERT_TRUE(e.found);
    EXPECT_EQ(e.offsetFrames, 0);
    EXPECT_EQ(e.polarity, 1);
    EXPECT_EQ(e.gain, 1.0);
    EXPECT_EQ(e.gainDb, 0.0);
    EXPECT_EQ(e.correlation, 1.0);
}

TEST(NullmeterAlignment, PolarityAndGainOfAScaledCopy) {
    const std::vector<double> source = noise(100000, 5);
    std::vector<double> a, b;
    excerpts(source, -321, -0.5, 60000, 1000, a, b);
    const auto e = estimateAlignment({a}, {b}, 1000);
    ASSERT_TRUE(e.found);
    EXPECT_EQ(e.offsetFrames, -321);
    EXPECT_EQ(e.polarity, -1);
    EXPECT_NEAR(e.gainDb, -6.0206, 0.01);
    EXPECT_NEAR(e.correlation, 1.0, 1e-12);
}

TEST(NullmeterAlignment, CopyUnderIndependentNoiseIsStillFound) {
    const std::vector<double> source = noise(100000, 6);
    std::vector<double> a, b;
    excerpts(source, 777, 1.0, 80000, 5000, a, b);
    const std::vector<double> other = noise(80000, 7, 0.25);
    for (std::size_t i = 0; i < b.size(); ++i)
        b[i] += other[i];
    const auto e = estimateAlignment({a}, {b}, 48000);
    ASSERT_TRUE(e.found);
    EXPECT_EQ(e.offsetFrames, 777);
    EXPECT_NEAR(e.gain, 1.0, 0.02);  // the independent part does not fit A
}

TEST(NullmeterAlignment, SilenceAndNonFiniteSamples) {
    const std::vector<double> a = noise(10000, 8);
    const std::vector<double> silent(10000, 0.0);
    EXPECT_FALSE(estimateAlignment({a}, {silent}, 100).found);
    EXPECT_FALSE(estimateAlignment({silent}, {a}, 100).found);
    EXPECT_FALSE(estimateAlignment({}, {a}, 100).found);
    EXPECT_FALSE(estimateAlignment({a}, {{}}, 100).found);
    const std::vector<double> bad(10000, NAN);
    EXPECT_FALSE(estimateAlignment({a}, {bad}, 100).found);

    // Damaged samples count as 0 and do not poison the sums.
    std::vector<double> b = a;
    b[10] = INFINITY;
    b[20] = NAN;
    const auto e = estimateAlignment({a}, {b}, 100);
    ASSERT_TRUE(e.found);
    EXPECT_EQ(e.offsetFrames, 0);
    EXPECT_GT(e.correlation, 0.999);
}

TEST(NullmeterAlignment, HalfSampleDelayGivesASubSampleEstimate) {
    // The mean of neighbours delays noise by half a frame.
    const std::vector<double> x = noise(60001, 9);
    std::vector<double> early(60000), late(60000);
    for (std::size_t i = 0; i < late.size(); ++i) {
        early[i] = x[i + 1];
        late[i] = 0.5 * (x[i] + x[i + 1]);
    }
    const auto e = estimateAlignment({early}, {late}, 100);
    ASSERT_TRUE(e.found);
    EXPECT_NEAR(e.subSampleOffset, 0.5, 0.1);
    const auto reverse = estimateAlignment({late}, {early}, 100);
    ASSERT_TRUE(reverse.found);
    EXPECT_NEAR(reverse.subSampleOffset, -0.5, 0.1);
}

TEST(NullmeterAlignment, ChannelsAddUpAndUnmatchedOnesAreIgnored) {
    // Different content per channel; B has an extra channel of unrelated
    // noise, and its excerpt is longer than A's.
    const std::vector<double> left = noise(150000, 10), right = noise(150000, 11, 0.05);
    std::vector<double> a0, b0, a1, b1;
    excerpts(left, -4321, 0.9, 70000, 20000, a0, b0);
    excerpts(right, -4321, 0.9, 70000, 20000, a1, b1);
    b0.resize(90000, 0.1);
    const auto e = estimateAlignment({a0, a1}, {b0, b1, noise(70000, 12)}, 48000);
    ASSERT_TRUE(e.found);
    EXPECT_EQ(e.offsetFrames, -4321);
    EXPECT_NEAR(e.gain, 0.9, 1e-12);
}

}  // namespace

namespace {

TEST(NullmeterAlignmentDiagnosis, NamesOffsetDriftPolarityAndLevelOnlyWhenClear) {
    nullmeter::AlignmentEstimate e;
    e.found = true;
    e.correlation = 0.999;
    e.subSampleOffset = 10.25;
    e.offsetFrames = 10;
    e.driftPpm = 50.0;
    e.driftSignificant = true;
    e.polarity = -1;
    e.gainDb = -0.5;
    const auto lines = nullmeter::diagnoseAlignment(e, 48000);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], "B lags A by 10.25 samples (0.214 ms)");
    EXPECT_EQ(lines[1], "B's clock runs 50.0 ppm fast");
    EXPECT_EQ(lines[2], "B is inverted");
    EXPECT_EQ(lines[3], "B is 0.50 dB lower than A");
    // The bands already placed the level difference.
    EXPECT_EQ(nullmeter::diagnoseAlignment(e, 48000, true).size(), 3u);

    nullmeter::AlignmentEstimate slow = e;
    slow.subSampleOffset = -3.5;
    slow.driftPpm = -12.34;
    slow.polarity = 1;
    slow.gainDb = 0.004;
    const auto other = nullmeter::diagnoseAlignment(slow, 44100);
    ASSERT_EQ(other.size(), 2u);
    EXPECT_EQ(other[0], "B leads A by 3.50 samples (0.079 ms)");
    EXPECT_EQ(other[1], "B's clock runs 12.3 ppm slow");

    // A drift within the offsets' scatter, an offset under a hundredth of a
    // sample, or a pair that hardly correlates: nothing to say.
    nullmeter::AlignmentEstimate unsure = slow;
    unsure.driftSignificant = false;
    unsure.subSampleOffset = 0.004;
    EXPECT_TRUE(nullmeter::diagnoseAlignment(unsure, 48000).empty());
    e.correlation = 0.5;
    EXPECT_TRUE(nullmeter::diagnoseAlignment(e, 48000).empty());
}

}  // namespace
