// Levels of a channel and their dB FS, one way for everything that reports a
// level: the null-test meter (window_meter.h) reads through levelDb, and the
// tools (`vsthost render`, `wavtool peak`) measure and print through here.
#pragma once

#include <cstddef>
#include <string>

namespace nulltest {

// The scale: levels at or below the threshold are silence and read as the
// floor.
constexpr double kFloorDb = -400.0;
constexpr double kLevelThreshold = 1e-20;

struct ChannelLevels {
    double peak = 0.0;  // largest magnitude, linear
    double rms = 0.0;   // linear
};

// Peak and RMS of `count` samples; both 0 for none. A NaN sample makes both
// NaN, so a channel that carries one never reads as a level.
ChannelLevels channelLevels(const double* samples, std::size_t count);

// 20 log10(level): the floor at or below the threshold (silence), NaN for
// NaN and +infinity for +infinity.
double levelDb(double level);

// levelDb for printing with two decimals: "-6.02", "-inf" for silence, "inf",
// and "nan", so a NaN output stays visible.
std::string formatLevelDb(double level);

}  // namespace nulltest
