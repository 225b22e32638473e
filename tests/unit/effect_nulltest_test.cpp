// The null-test meter: window accumulation, level results in dB and bits,
// transparency, state and the reset step.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "effects/nulltest/nulltest_effect.h"
#include "tests/unit/effect_rig.h"

namespace {

using nulltest::SignalMeter;

constexpr double kPi = 3.14159265358979323846;
constexpr double kFloorBits = 66.43856189774762;  // 400 / 6.02059991327959
constexpr double kHalfDb = -6.020599913279624;    // 20 * log10(0.5)

// One instance as the host sees it after open and resume: two channels at
// the given sample rate.
class NullTestRig : public EffectRig<nulltest::TVexmoldEffect> {
  public:
    explicit NullTestRig(float sampleRate = 44100.0f) : EffectRig(sampleRate) {}

    using Source = std::function<double(int64_t)>;

    // Runs frames [from, from + count) of left and right through the 64-bit
    // path in blocks of `block` frames.
    void run(int64_t from, int64_t count, const Source& left, const Source& right,
             int block = 512) {
        std::vector<double> l, r, ol, orr;
        for (int64_t start = 0; start < count; start += block) {
            const int n = static_cast<int>(std::min<int64_t>(block, count - start));
            l.resize(static_cast<size_t>(n));
            r.resize(static_cast<size_t>(n));
            ol.assign(static_cast<size_t>(n), 0.0);
            orr.assign(static_cast<size_t>(n), 0.0);
            for (int i = 0; i < n; ++i) {
                l[static_cast<size_t>(i)] = left(from + start + i);
                r[static_cast<size_t>(i)] = right(from + start + i);
            }
            const double* inputs[] = {l.data(), r.data()};
            double* outputs[] = {ol.data(), orr.data()};
            fx->processDouble(inputs, outputs, n);
        }
    }
    void runConstant(int64_t count, double left, double right) {
        run(
            0, count, [left](int64_t) { return left; }, [right](int64_t) { return right; });
    }

    const nulltest::Variables& v() const { return fx->vars; }
};

void expectFloor(const SignalMeter& m, const char* which) {
    EXPECT_EQ(m.rmsDb, -400.0) << which;
    EXPECT_EQ(m.peakDb, -400.0) << which;
    EXPECT_DOUBLE_EQ(m.rmsBits, kFloorBits) << which;
    EXPECT_DOUBLE_EQ(m.peakBits, kFloorBits) << which;
}

void expectSameResults(const SignalMeter& a, const SignalMeter& b, const char* which) {
    EXPECT_EQ(a.rms, b.rms) << which;
    EXPECT_EQ(a.rmsDb, b.rmsDb) << which;
    EXPECT_EQ(a.rmsBits, b.rmsBits) << which;
    EXPECT_EQ(a.peakDb, b.peakDb) << which;
    EXPECT_EQ(a.peakBits, b.peakBits) << which;
}

double sine(double amplitude, double frequency, double rate, int64_t n) {
    return amplitude * std::sin(2.0 * kPi * frequency * static_cast<double>(n) / rate);
}

// --- Set-up ------------------------------------------------------------------------

TEST(EffectNullTestSetup, IdentityAndSliders) {
    nulltest::TVexmoldEffect fx;
    EXPECT_EQ(fx.effectName, "KESTRAVON - null testing - (20260721)");
    EXPECT_EQ(fx.productString, fx.effectName);
    EXPECT_EQ(fx.programName, fx.effectName);
    EXPECT_EQ(fx.vendorString, "KESTRAVON");
    EXPECT_EQ(fx.vendorVersion, 1000u);
    EXPECT_EQ(fx.uniqueId, 6248u);
    EXPECT_EQ(fx.channelCount, 2u);
    ASSERT_EQ(fx.parameterCount(), 2);
    char text[64];
    fx.parameterName(0, text, sizeof text);
    EXPECT_STREQ(text, "Window Duration (Seconds)");
    fx.parameterName(1, text, sizeof text);
    EXPECT_STREQ(text, "Display Smoothing");
    EXPECT_EQ(fx.sliderValues[1], 1.0);
    EXPECT_EQ(fx.sliderValues[2], 0.0);
    // Window slider: 0 -> 0.1 s, 1 -> 10 s.
    fx.setParameter(0, 0.0);
    EXPECT_EQ(fx.sliderValues[1], 0.1);
    fx.setParameter(0, 1.0);
    EXPECT_EQ(fx.sliderValues[1], 10.0);
}

TEST(EffectNullTestSetup, InitialisationSetsTheConstantsAndReadsTheHost) {
    NullTestRig rig(48000.0f);
    const nulltest::Variables& v = rig.v();
    EXPECT_EQ(v.versionDate, 20260721.0);
    EXPECT_EQ(v.floorDb, -400.0);
    EXPECT_EQ(v.dbPerBit, 6.02059991327959);
    EXPECT_EQ(v.threshold, 1e-20);
    EXPECT_EQ(rig.fx->redrawRate, 30.0);
    EXPECT_EQ(rig.fx->common.sampleRateValue, 48000.0);
    EXPECT_EQ(rig.fx->common.inputChannelsValue, 2.0);
    EXPECT_EQ(v.windowLength, 48000.0);  // 1 s
}

// --- Levels --------------------------------------------------------------------------

TEST(EffectNullTestLevels, IdenticalInputsGiveFloorSideAndMidEqualToInput) {
    NullTestRig rig;
    const auto signal = [](int64_t n) {
        return sine(0.5, 441.0, 44100.0, n) + sine(0.125, 1234.5, 44100.0, n);
    };
    rig.run(0, 44099, signal, signal);
    // No window has closed yet: results still as initialised.
    EXPECT_EQ(rig.v().windowSampleCount, 44099.0);
    EXPECT_EQ(rig.v().side.rmsDb, 0.0);
    EXPECT_EQ(rig.v().left.rmsDb, 0.0);

    rig.run(44099, 1, signal, signal);
    const nulltest::Variables& v = rig.v();
    EXPECT_EQ(v.windowSampleCount, 0.0);
    EXPECT_EQ(v.side.rms, 0.0);
    expectFloor(v.side, "side");
    expectSameResults(v.mid, v.left, "mid");
    expectSameResults(v.right, v.left, "right");
    EXPECT_GT(v.left.rmsDb, -10.0);
    EXPECT_LT(v.left.rmsDb, -8.0);
    EXPECT_NEAR(v.left.rmsBits, std::fabs(v.left.rmsDb) / 6.02059991327959, 1e-12);
}

TEST(EffectNullTestLevels, OppositeInputsGiveFloorMidAndSideEqualToInput) {
    NullTestRig rig;
    rig.run(
        0, 44100, [](int64_t n) { return sine(0.5, 441.0, 44100.0, n); },
        [](int64_t n) { return -sine(0.5, 441.0, 44100.0, n); });
    const nulltest::Variables& v = rig.v();
    EXPECT_EQ(v.mid.rms, 0.0);
    expectFloor(v.mid, "mid");
    expectSameResults(v.side, v.left, "side");
    expectSameResults(v.right, v.left, "right");
    // A 0.5 sine: RMS 0.5 / sqrt(2), -9.0309 dB; the peak reaches 0.5 exactly
    // at a quarter period (441 Hz is 100 frames a period).
    EXPECT_NEAR(v.left.rmsDb, -9.030899869919436, 1e-9);
    EXPECT_NEAR(v.left.peakDb, kHalfDb, 1e-9);
}

TEST(EffectNullTestLevels, FullScaleSineIsMinus3DbRmsAnd0DbPeak) {
    NullTestRig rig;
    // Through the 32-bit path, as a host would send it.
    std::vector<float> block(441);
    std::vector<float> out0(441), out1(441);
    for (int64_t start = 0; start < 44100; start += 441) {
        for (size_t i = 0; i < block.size(); ++i)
            block[i] =
                static_cast<float>(sine(1.0, 1000.0, 44100.0, start + static_cast<int64_t>(i)));
        const float* inputs[] = {block.data(), block.data()};
        float* outputs[] = {out0.data(), out1.data()};
        rig.fx->process(inputs, outputs, 441);
    }
    const nulltest::Variables& v = rig.v();
    for (const SignalMeter* m : {&v.left, &v.right, &v.mid}) {
        EXPECT_NEAR(m->rmsDb, -3.0103, 1e-3);
        EXPECT_NEAR(m->rmsBits, 0.5, 1e-3);
        EXPECT_LE(m->peakDb, 0.0);
        EXPECT_GT(m->peakDb, -0.001);
        EXPECT_LT(m->peakBits, 0.001);
    }
    expectFloor(v.side, "side");
}

TEST(EffectNullTestLevels, SilenceGivesTheFloorEverywhere) {
    NullTestRig rig;
    rig.runConstant(44100, 0.0, 0.0);
    const nulltest::Variables& v = rig.v();
    expectFloor(v.left, "left");
    expectFloor(v.right, "right");
    expectFloor(v.mid, "mid");
    expectFloor(v.side, "side");
    EXPECT_EQ(v.left.rms, 0.0);
}

TEST(EffectNullTestLevels, LevelsAtOrBelowTheThresholdGiveTheFloor) {
    NullTestRig rig;
    rig.fx->setParameter(0, 0.0);  // 0.1 s: 4410 frames
    rig.runConstant(4410, 1e-20, 2e-20);
    const nulltest::Variables& v = rig.v();
    // The peak of left is 1e-20, not above the threshold.
    EXPECT_EQ(v.left.peakDb, -400.0);
    EXPECT_DOUBLE_EQ(v.left.peakBits, kFloorBits);
    EXPECT_NEAR(v.left.rmsDb, -400.0, 1e-9);
    // Right at 2e-20 is above it: 20 * log10(2e-20).
    EXPECT_NEAR(v.right.peakDb, -393.9794000867204, 1e-9);
    EXPECT_NEAR(v.right.peakBits, 393.9794000867204 / 6.02059991327959, 1e-9);
}

// --- Windows --------------------------------------------------------------------------

TEST(EffectNullTestWindow, WholeLengthClosesOnThatFrame) {
    NullTestRig rig;
    rig.fx->setParameter(0, 0.0);
    ASSERT_EQ(rig.v().windowLength, 4410.0);

    rig.runConstant(4409, 0.5, 0.5);
    EXPECT_EQ(rig.v().windowSampleCount, 4409.0);
    EXPECT_EQ(rig.v().left.rms, 0.0);
    rig.runConstant(1, 0.5, 0.5);
    EXPECT_EQ(rig.v().windowSampleCount, 0.0);
    EXPECT_EQ(rig.v().left.rms, 0.5);
    EXPECT_DOUBLE_EQ(rig.v().left.rmsDb, kHalfDb);
    EXPECT_DOUBLE_EQ(rig.v().left.peakDb, kHalfDb);
    // 6.020599913279624 / 6.02059991327959: one bit, up to the last digits.
    EXPECT_NEAR(rig.v().left.rmsBits, 1.0, 1e-12);

    // The results stay until the next window closes, which starts afresh.
    rig.runConstant(4409, 0.25, 0.25);
    EXPECT_EQ(rig.v().left.rms, 0.5);
    EXPECT_EQ(rig.v().windowSampleCount, 4409.0);
    rig.runConstant(1, 0.25, 0.25);
    EXPECT_EQ(rig.v().left.rms, 0.25);
    EXPECT_DOUBLE_EQ(rig.v().left.peakDb, 2.0 * kHalfDb);
}

TEST(EffectNullTestWindow, FractionalLengthClosesOnTheNextWholeFrame) {
    NullTestRig rig(44100.5f);
    ASSERT_EQ(rig.v().windowLength, 44100.5);
    rig.runConstant(44100, 0.5, 0.5);
    EXPECT_EQ(rig.v().windowSampleCount, 44100.0);
    EXPECT_EQ(rig.v().left.rms, 0.0);
    rig.runConstant(1, 0.5, 0.5);
    EXPECT_EQ(rig.v().windowSampleCount, 0.0);
    EXPECT_EQ(rig.v().left.rms, 0.5);
    // Every window is 44101 frames long.
    rig.runConstant(44100, 0.25, 0.25);
    EXPECT_EQ(rig.v().left.rms, 0.5);
    rig.runConstant(1, 0.25, 0.25);
    EXPECT_EQ(rig.v().left.rms, 0.25);
}

TEST(EffectNullTestWindow, OneSecondAt48kClosesEvery48000FramesWhateverTheBlocks) {
    std::vector<nulltest::Variables> finals;
    for (const int block : {1, 37, 4096}) {
        NullTestRig rig(48000.0f);
        const auto left = [](int64_t n) { return sine(0.7, 997.0, 48000.0, n); };
        const auto right = [](int64_t n) { return sine(0.6, 997.0, 48000.0, n + 3); };
        rig.run(0, 47999, left, right, block);
        EXPECT_EQ(rig.v().windowSampleCount, 47999.0) << block;
        EXPECT_EQ(rig.v().left.rms, 0.0) << block;
        rig.run(47999, 1, left, right, block);
        EXPECT_EQ(rig.v().windowSampleCount, 0.0) << block;
        EXPECT_NE(rig.v().left.rms, 0.0) << block;
        rig.run(48000, 60000, left, right, block);
        EXPECT_EQ(rig.v().windowSampleCount, 12000.0) << block;
        finals.push_back(rig.v());
    }
    for (size_t i = 1; i < finals.size(); ++i)
        EXPECT_EQ(std::memcmp(&finals[i], &finals[0], sizeof finals[0]), 0) << i;
}

TEST(EffectNullTestWindow, ZeroLengthClosesAWindowOnEveryFrame) {
    NullTestRig rig(0.0f);
    EXPECT_EQ(rig.v().windowLength, 0.0);
    rig.runConstant(1, 0.5, -0.25);
    EXPECT_EQ(rig.v().windowSampleCount, 0.0);
    EXPECT_EQ(rig.v().left.rms, 0.5);
    EXPECT_EQ(rig.v().right.rms, 0.25);
    rig.runConstant(1, 0.125, 0.0);
    EXPECT_EQ(rig.v().left.rms, 0.125);
    EXPECT_EQ(rig.v().right.rms, 0.0);
}

TEST(EffectNullTestWindow, ShorteningTheWindowClosesItAtTheNextFrame) {
    NullTestRig rig;
    rig.fx->setParameter(0, 1.0);
    ASSERT_EQ(rig.v().windowLength, 441000.0);
    rig.runConstant(5000, 0.5, 0.5);
    rig.fx->setParameter(0, 0.0);  // 0.1 s
    EXPECT_EQ(rig.v().windowLength, 4410.0);
    // The slider section itself closes nothing.
    EXPECT_EQ(rig.v().windowSampleCount, 5000.0);
    EXPECT_EQ(rig.v().left.rms, 0.0);
    rig.runConstant(1, 0.0, 0.0);
    EXPECT_EQ(rig.v().windowSampleCount, 0.0);
    EXPECT_DOUBLE_EQ(rig.v().left.rms, std::sqrt(1250.0 / 5001.0));
    EXPECT_DOUBLE_EQ(rig.v().left.peakDb, kHalfDb);
}

// --- Robustness and transparency ------------------------------------------------------------

TEST(EffectNullTestRobustness, NonFiniteSamplesReadAsFullScaleNeverAsSilence) {
    NullTestRig rig;
    rig.fx->setParameter(0, 0.0);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const auto left = [nan, inf](int64_t n) {
        return n == 10 ? nan : n == 20 ? inf : n == 30 ? -inf : 0.5;
    };
    rig.run(0, 4410, left, [](int64_t) { return 0.5; });
    const nulltest::Variables& v = rig.v();
    // Three frames of magnitude 1.0 on left, and so on mid and side.
    EXPECT_DOUBLE_EQ(v.left.rms, std::sqrt((4407.0 * 0.25 + 3.0) / 4410.0));
    EXPECT_DOUBLE_EQ(v.mid.rms, v.left.rms);
    EXPECT_DOUBLE_EQ(v.side.rms, std::sqrt(3.0 / 4410.0));
    EXPECT_EQ(v.right.rms, 0.5);
    for (const SignalMeter* m : {&v.left, &v.mid, &v.side}) {
        EXPECT_EQ(m->peakDb, 0.0);
        EXPECT_EQ(m->peakBits, 0.0);
    }
    EXPECT_DOUBLE_EQ(v.right.peakDb, kHalfDb);
    for (const SignalMeter* m : {&v.left, &v.right, &v.mid, &v.side}) {
        EXPECT_TRUE(std::isfinite(m->rms));
        EXPECT_TRUE(std::isfinite(m->rmsDb));
        EXPECT_TRUE(std::isfinite(m->rmsBits));
    }
    // The next window starts clean.
    rig.run(4410, 4410, [](int64_t) { return 0.5; }, [](int64_t) { return 0.5; });
    expectFloor(rig.v().side, "side of the next window");
}

TEST(EffectNullTestRobustness, InfiniteLastSampleIsAFullScalePeak) {
    NullTestRig rig;
    rig.fx->setParameter(0, 0.0);
    const double inf = std::numeric_limits<double>::infinity();
    rig.run(
        0, 4410, [inf](int64_t n) { return n == 4409 ? inf : 0.5; }, [](int64_t) { return 0.5; });
    EXPECT_EQ(rig.v().left.peakDb, 0.0);
    EXPECT_EQ(rig.v().side.peakDb, 0.0);
    EXPECT_DOUBLE_EQ(rig.v().left.rms, std::sqrt((4409.0 * 0.25 + 1.0) / 4410.0));
    EXPECT_DOUBLE_EQ(rig.v().right.peakDb, kHalfDb);
}

TEST(EffectNullTestRobustness, OverflowsNeverReadAsSilence) {
    // The difference is formed before the factor 0.5, so 1e308 - (-1e308)
    // overflows: that side sample counts as full scale.
    NullTestRig rig(0.0f);  // window length 0: every frame closes a window
    rig.runConstant(1, 1e308, -1e308);
    const nulltest::Variables& v = rig.v();
    EXPECT_EQ(v.side.rms, 1.0);
    EXPECT_EQ(v.side.peakDb, 0.0);
    expectFloor(v.mid, "mid");
    // Left: the square overflows and the sum stays at the largest double.
    EXPECT_EQ(v.left.rms, std::sqrt(std::numeric_limits<double>::max()));
    EXPECT_GT(v.left.rmsDb, 3000.0);
    EXPECT_NEAR(v.left.peakDb, 6160.0, 1e-9);
    rig.runConstant(1, 1e308, 1e308);
    expectFloor(rig.v().side, "side after the sum overflows");
    EXPECT_EQ(rig.v().mid.peakDb, 0.0);
}

TEST(EffectNullTestRobustness, AnOverflowedSumStaysAtTheLargestDoubleAcrossBlocks) {
    // The square of 1e200 overflows in the middle of a window; later finite
    // frames, in later blocks, leave the clamped sum where it is.
    NullTestRig rig;  // 1 s: 44100 frames
    rig.runConstant(100, 0.5, 0.5);
    rig.run(0, 1, [](int64_t) { return 1e200; }, [](int64_t) { return 0.0; });
    EXPECT_EQ(rig.v().left.sumSquares, std::numeric_limits<double>::max());
    rig.runConstant(43999, 0.5, 0.5);
    const nulltest::Variables& v = rig.v();
    EXPECT_EQ(v.windowSampleCount, 0.0);
    EXPECT_EQ(v.left.rms, std::sqrt(std::numeric_limits<double>::max() / 44100.0));
    EXPECT_EQ(v.right.rms, std::sqrt(44099 * 0.25 / 44100.0));
    EXPECT_EQ(v.left.sumSquares, 0.0);
}

TEST(EffectNullTestWindow, EverySliderStepHoldsTheWindowTheMeasuringUnitComputes) {
    // nullmeter measures without the slider: both must agree on every step.
    for (int step = 1; step <= 100; ++step) {
        NullTestRig rig(48000.0f);
        const double seconds = step / 10.0;
        rig.fx->setParameter(0, static_cast<float>((seconds - 0.1) / 9.9));
        EXPECT_EQ(rig.v().windowLength,
                  nulltest::windowLengthFrames(48000.0, nulltest::windowStepSeconds(seconds)))
            << seconds;
    }
    EXPECT_EQ(nulltest::windowStepSeconds(0.05), 0.0);
    EXPECT_EQ(nulltest::windowStepSeconds(0.25), 0.0);
    EXPECT_EQ(nulltest::windowStepSeconds(10.1), 0.0);
    EXPECT_EQ(nulltest::windowStepSeconds(std::nan("")), 0.0);
}

TEST(EffectNullTestWindow, ClosingEarlyMeasuresTheFramesSoFar) {
    NullTestRig rig;
    rig.fx->setParameter(0, 0.0);  // 4410 frames
    rig.fx->closeWindowEarly();  // empty: nothing happens
    EXPECT_EQ(rig.v().left.rms, 0.0);
    rig.runConstant(441, 0.5, 0.25);
    rig.fx->closeWindowEarly();
    EXPECT_EQ(rig.v().windowSampleCount, 0.0);
    EXPECT_EQ(rig.v().left.rms, 0.5);
    EXPECT_EQ(rig.v().side.rms, 0.125);
    EXPECT_DOUBLE_EQ(rig.v().side.peakDb, 20.0 * std::log10(0.125));
    EXPECT_EQ(nulltest::meterDb(0.0), -400.0);
    EXPECT_EQ(nulltest::meterDb(1.0), 0.0);
    EXPECT_DOUBLE_EQ(nulltest::meterBits(-96.3295986124734), 16.0);
}

TEST(EffectNullTestRobustness, OutputEqualsInputBitForBit) {
    NullTestRig rig;
    const std::vector<float> left = {0.5f,
                                     -0.0f,
                                     1e-40f,
                                     std::numeric_limits<float>::max(),
                                     -std::numeric_limits<float>::infinity(),
                                     std::numeric_limits<float>::quiet_NaN(),
                                     1.0f,
                                     -1.0f};
    const std::vector<float> right = {
        -0.5f, 0.0f, -1e-40f, 0.1f, 3.0f, -2.0f, std::numeric_limits<float>::infinity(), 0.25f};
    std::vector<float> out0(left.size(), 9.0f), out1(left.size(), 9.0f);
    const float* inputs[] = {left.data(), right.data()};
    float* outputs[] = {out0.data(), out1.data()};
    rig.fx->process(inputs, outputs, static_cast<int32_t>(left.size()));
    EXPECT_EQ(std::memcmp(out0.data(), left.data(), left.size() * sizeof(float)), 0);
    EXPECT_EQ(std::memcmp(out1.data(), right.data(), right.size() * sizeof(float)), 0);

    const std::vector<double> dl = {0.1,
                                    -0.0,
                                    std::numeric_limits<double>::denorm_min(),
                                    std::numeric_limits<double>::max(),
                                    std::numeric_limits<double>::quiet_NaN(),
                                    1.0 / 3.0};
    const std::vector<double> dr = {
        -0.1, 1e300, -1e-310, 0.0, -std::numeric_limits<double>::infinity(), 2.0 / 3.0};
    std::vector<double> d0(dl.size(), 9.0), d1(dl.size(), 9.0);
    const double* dIn[] = {dl.data(), dr.data()};
    double* dOut[] = {d0.data(), d1.data()};
    rig.fx->processDouble(dIn, dOut, static_cast<int32_t>(dl.size()));
    EXPECT_EQ(std::memcmp(d0.data(), dl.data(), dl.size() * sizeof(double)), 0);
    EXPECT_EQ(std::memcmp(d1.data(), dr.data(), dr.size() * sizeof(double)), 0);

    EXPECT_EQ(rig.v().frameWidth, 500.0);
    EXPECT_EQ(rig.v().frameHeight, 250.0);
}

TEST(EffectNullTestRobustness, CrossedBuffersPassEachChannelToItsOwnOutput) {
    // A host may hand the right input's buffer as the left output and the
    // other way round: each output must still get its own input.
    NullTestRig rig;
    std::vector<double> a = {0.1, 0.2, 0.3, 0.4}, b = {-1.0, -2.0, -3.0, -4.0};
    const double* inputs[] = {a.data(), b.data()};
    double* outputs[] = {b.data(), a.data()};
    rig.fx->processDouble(inputs, outputs, 4);
    EXPECT_EQ(b, (std::vector<double>{0.1, 0.2, 0.3, 0.4}));
    EXPECT_EQ(a, (std::vector<double>{-1.0, -2.0, -3.0, -4.0}));
    EXPECT_EQ(rig.v().windowSampleCount, 4.0);
    EXPECT_EQ(rig.v().right.runningPeak, 4.0);
}

TEST(EffectNullTestRobustness, SampleSectionAloneMatchesTheProcessingLoop) {
    // The same frames through the processing call, and through the block and
    // sample sections run one by one as the runtime's plain loop would.
    NullTestRig looped, stepped;
    looped.fx->setParameter(0, 0.0);
    stepped.fx->setParameter(0, 0.0);
    const auto left = [](int64_t n) { return sine(0.8, 441.0, 44100.0, n); };
    const auto right = [](int64_t n) { return sine(0.3, 1000.0, 44100.0, n + 7); };
    looped.run(0, 10000, left, right, 1000);
    for (int64_t n = 0; n < 10000; ++n) {
        if (n % 1000 == 0)
            stepped.fx->doBlock();
        stepped.fx->sampleValues[0] = left(n);
        stepped.fx->sampleValues[1] = right(n);
        stepped.fx->doSample();
    }
    EXPECT_EQ(std::memcmp(&looped.fx->vars, &stepped.fx->vars, sizeof(nulltest::Variables)), 0);
    EXPECT_EQ(looped.v().windowSampleCount, 10000.0 - 2 * 4410.0);
    EXPECT_EQ(looped.fx->sampleValues[0], left(9999));
    EXPECT_EQ(looped.fx->sampleValues[1], right(9999));
}

TEST(EffectNullTestRobustness, MissingChannelsMeasureAsSilence) {
    NullTestRig missing, zeros;
    missing.fx->setParameter(0, 0.0);
    zeros.fx->setParameter(0, 0.0);
    std::vector<double> l(4410), r(4410, 0.0), o(4410, 9.0);
    for (size_t i = 0; i < l.size(); ++i)
        l[i] = sine(0.5, 441.0, 44100.0, static_cast<int64_t>(i));
    const double* noRight[] = {l.data(), nullptr};
    double* oneOutput[] = {nullptr, o.data()};
    missing.fx->processDouble(noRight, oneOutput, 4410);
    // The missing right input reads as 0 and passes to output 1 as 0.
    EXPECT_EQ(o, std::vector<double>(4410, 0.0));
    zeros.run(
        0, 4410, [&l](int64_t n) { return l[static_cast<size_t>(n)]; }, [](int64_t) { return 0.0; },
        4410);
    EXPECT_EQ(std::memcmp(&missing.fx->vars, &zeros.fx->vars, sizeof(nulltest::Variables)), 0);
    expectFloor(missing.v().right, "right");
    EXPECT_NEAR(missing.v().mid.rmsDb, missing.v().left.rmsDb + kHalfDb, 1e-9);
}

// --- State -------------------------------------------------------------------------------------

std::vector<float> chunkValues(const void* bytes, int32_t size) {
    std::vector<float> values(static_cast<size_t>(size) / 4);
    std::memcpy(values.data(), bytes, values.size() * sizeof(float));
    return values;
}

TEST(EffectNullTestState, SavesSliders1To64AfterTheMarker) {
    NullTestRig rig;
    rig.fx->sliderValues[0] = 99.0;
    rig.fx->sliderValues[1] = 2.5;
    rig.fx->sliderValues[2] = 0.25;
    rig.fx->sliderValues[3] = 3.0;
    rig.fx->sliderValues[64] = 64.0;
    rig.fx->sliderValues[65] = 65.0;
    void* bytes = nullptr;
    const int32_t size = rig.fx->storeState(&bytes, false);
    ASSERT_EQ(size, 4 * 65);
    const std::vector<float> values = chunkValues(bytes, size);
    std::vector<float> expected(65, 0.0f);
    expected[0] = -1000.0f;
    expected[1] = 2.5f;
    expected[2] = 0.25f;
    expected[3] = 3.0f;
    expected[64] = 64.0f;
    EXPECT_EQ(values, expected);
    EXPECT_EQ(rig.v().serializeLoop, 65.0);

    // Restored into another instance: the sliders come back and the slider
    // section recomputes the window length.
    const std::vector<float> saved = values;
    NullTestRig other;
    other.fx->sliderValues[0] = -1.0;
    other.fx->sliderValues[65] = -1.0;
    EXPECT_EQ(other.fx->restoreState(saved.data(), size, false), size);
    EXPECT_EQ(other.fx->sliderValues[1], 2.5);
    EXPECT_EQ(other.fx->sliderValues[2], 0.25);
    EXPECT_EQ(other.fx->sliderValues[64], 64.0);
    EXPECT_EQ(other.fx->sliderValues[0], -1.0);
    EXPECT_EQ(other.fx->sliderValues[65], -1.0);
    EXPECT_EQ(other.v().windowLength, 44100.0 * 2.5);
}

TEST(EffectNullTestState, ShortStateRestoresOnlyWhatItHolds) {
    NullTestRig rig;
    rig.fx->sliderValues[2] = 0.75;
    const float chunk[] = {-1000.0f, 0.5f};
    EXPECT_EQ(rig.fx->restoreState(chunk, sizeof chunk, false), 8);
    EXPECT_EQ(rig.fx->sliderValues[1], 0.5);
    EXPECT_EQ(rig.fx->sliderValues[2], 0.75);
    EXPECT_EQ(rig.v().windowLength, 22050.0);
}

TEST(EffectNullTestState, DamagedWindowValuesRestoreAsTheNearestWindowTheSliderHas) {
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    // Chunk value of the window and of the smoothing -> what the sections see.
    const struct {
        float window, smoothing;
        double windowSeconds, smoothingValue;
    } cases[] = {
        {-5.0f, -5.0f, 0.1, 0.0}, {1e30f, 1e30f, 10.0, 1.0}, {nan, nan, 0.1, 0.0},
        {inf, inf, 0.1, 0.0},     {-inf, -inf, 0.1, 0.0},    {0.05f, 1.5f, 0.1, 1.0},
    };
    for (const auto& c : cases) {
        NullTestRig rig;
        const float chunk[] = {-1000.0f, c.window, c.smoothing};
        EXPECT_EQ(rig.fx->restoreState(chunk, sizeof chunk, false), 12);
        EXPECT_EQ(rig.fx->sliderValues[1], c.windowSeconds) << c.window;
        EXPECT_EQ(rig.fx->sliderValues[2], c.smoothingValue) << c.smoothing;
        EXPECT_EQ(rig.v().windowLength, 44100.0 * c.windowSeconds) << c.window;
    }
}

// --- Reset ---------------------------------------------------------------------------------------

TEST(EffectNullTestReset, FillsTextsAndImageNamesAndZeroesEveryVariable) {
    NullTestRig rig;
    rig.runConstant(1000, 0.5, 0.25);
    rig.fx->sliderValues[1] = 3.0;
    rig.fx->doReset();

    const nulltest::Variables zero{};
    EXPECT_EQ(std::memcmp(&rig.fx->vars, &zero, sizeof zero), 0);
    const TVexmoldCommonVariables zeroCommon{};
    EXPECT_EQ(std::memcmp(&rig.fx->common, &zeroCommon, sizeof zeroCommon), 0);
    EXPECT_EQ(rig.fx->sliderValues[1], 3.0);  // sliders are not reset

    ASSERT_EQ(rig.fx->fileNames.size(), 3u);
    EXPECT_EQ(rig.fx->fileNames.at(0), "KESTRAVON_LogoTealGlow.PNG");
    EXPECT_EQ(rig.fx->fileNames.at(1), "KESTRAVON_WebLinkText.png");
    EXPECT_EQ(rig.fx->fileNames.at(2), "KESTRAVON_LogoTealGlow_PluginTitle_Pomrik.png");

    const auto& slots = rig.fx->stringSlots;
    EXPECT_EQ(slots.size(), 43u);
    EXPECT_EQ(rig.fx->stringSlotCount, 43.0);
    EXPECT_EQ(slots.begin()->first, 10000);
    EXPECT_EQ(slots.rbegin()->first, 10042);
    EXPECT_EQ(slots.at(10000), "Courier New");
    EXPECT_EQ(slots.at(10001), "v");
    EXPECT_EQ(slots.at(10002), "Arial");
    EXPECT_EQ(slots.at(10003), "LEFT CHANNEL");
    EXPECT_EQ(slots.at(10004), "RMS: ");
    EXPECT_EQ(slots.at(10005), " dB (");
    EXPECT_EQ(slots.at(10006), " bits)");
    EXPECT_EQ(slots.at(10007), "Peak : ");
    EXPECT_EQ(slots.at(10010), "RIGHT CHANNEL");
    EXPECT_EQ(slots.at(10017), "MID CHANNEL");
    EXPECT_EQ(slots.at(10024), "SIDE CHANNEL");
    EXPECT_EQ(slots.at(10030), " bits)");
    EXPECT_EQ(slots.at(10031), "Info: Sound will null if");
    EXPECT_EQ(slots.at(10035), "is 20; sound will be");
    EXPECT_EQ(slots.at(10038), "not if exported to 24 bit.");
    EXPECT_EQ(slots.at(10039), "IMPORTANT: Make");
    EXPECT_EQ(slots.at(10042), "(Sample accurate)");

    // A second open gives the same tables.
    rig.fx->assignStringSlot(20000, "extra");
    rig.fx->doReset();
    EXPECT_EQ(rig.fx->stringSlots.size(), 43u);
    EXPECT_EQ(rig.fx->fileNames.size(), 3u);
}

}  // namespace
