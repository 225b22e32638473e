// The one level code of the meter and the tools: peak, RMS and their dB, the
// floor for silence, and NaN kept visible.
#include "effects/nulltest/channel_levels.h"
#include "effects/nulltest/window_meter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace {

constexpr double kPi = 3.14159265358979323846;

using nulltest::channelLevels;
using nulltest::formatLevelDb;
using nulltest::levelDb;

nulltest::ChannelLevels levelsOf(const std::vector<double>& samples) {
    return channelLevels(samples.data(), samples.size());
}

TEST(ChannelLevels, PeakAndRms) {
    const auto levels = levelsOf({0.5, -1.0, 0.5, 0.0});
    EXPECT_EQ(levels.peak, 1.0);
    EXPECT_DOUBLE_EQ(levels.rms, std::sqrt(1.5 / 4.0));
    const auto empty = levelsOf({});
    EXPECT_EQ(empty.peak, 0.0);
    EXPECT_EQ(empty.rms, 0.0);
}

TEST(ChannelLevels, NanPoisonsPeakAndRms) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    // After a larger sample too, where a plain maximum would keep 0.9.
    const auto levels = levelsOf({0.1, 0.9, nan, 0.5});
    EXPECT_TRUE(std::isnan(levels.peak));
    EXPECT_TRUE(std::isnan(levels.rms));
    EXPECT_TRUE(std::isnan(levelsOf({nan, 0.9}).peak));
    EXPECT_EQ(formatLevelDb(nan), "nan");
    EXPECT_TRUE(std::isnan(levelDb(nan)));
}

TEST(ChannelLevels, FullScaleSineRmsIsThreeDecibelsDown) {
    // 1 kHz at 48 kHz: 48 samples a period, 100 whole periods.
    std::vector<double> sine(4800);
    for (std::size_t n = 0; n < sine.size(); ++n)
        sine[n] = std::sin(2.0 * kPi * static_cast<double>(n) / 48.0);
    const auto levels = levelsOf(sine);
    EXPECT_NEAR(levels.peak, 1.0, 1e-15);
    EXPECT_NEAR(levels.rms, std::sqrt(0.5), 1e-12);
    EXPECT_NEAR(levelDb(levels.rms), -3.0103, 5e-5);
    EXPECT_EQ(formatLevelDb(levels.rms), "-3.01");
}

TEST(ChannelLevels, Decibels) {
    EXPECT_EQ(formatLevelDb(1.0), "0.00");
    EXPECT_EQ(formatLevelDb(0.5), "-6.02");
    EXPECT_EQ(formatLevelDb(0.0), "-inf");
    EXPECT_EQ(formatLevelDb(10.0), "20.00");
    EXPECT_EQ(formatLevelDb(std::numeric_limits<double>::infinity()), "inf");
    EXPECT_DOUBLE_EQ(levelDb(0.1), -20.0);
}

TEST(ChannelLevels, SilenceIsTheFloorOnEveryScale) {
    // At the threshold and below it is silence; just above it is a level.
    EXPECT_EQ(levelDb(0.0), nulltest::kFloorDb);
    EXPECT_EQ(levelDb(nulltest::kLevelThreshold), nulltest::kFloorDb);
    EXPECT_EQ(levelDb(-0.5), nulltest::kFloorDb);
    EXPECT_EQ(formatLevelDb(nulltest::kLevelThreshold), "-inf");
    const double above = 2.0 * nulltest::kLevelThreshold;
    EXPECT_DOUBLE_EQ(levelDb(above), -400.0 + 20.0 * std::log10(2.0));
    EXPECT_EQ(formatLevelDb(above), "-393.98");
    // The meter reads the same dB and shows only numbers: NaN as the floor,
    // an infinity as 0.
    EXPECT_EQ(nulltest::meterDb(above), levelDb(above));
    EXPECT_EQ(nulltest::meterDb(0.0), nulltest::kFloorDb);
    EXPECT_EQ(nulltest::meterDb(std::numeric_limits<double>::quiet_NaN()), nulltest::kFloorDb);
    EXPECT_EQ(nulltest::meterDb(std::numeric_limits<double>::infinity()), 0.0);
}

}  // namespace
