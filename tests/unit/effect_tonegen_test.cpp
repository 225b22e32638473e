// The tone generator: a 997 Hz sine at -18 dB FS peak on both outputs,
// computed from the frame index since the last initialisation.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

#include "effects/tonegen/tonegen_effect.h"
#include "runtime/math/sine.h"
#include "tests/unit/effect_rig.h"

namespace {

constexpr double kAmplitude = 0.12589254117941673;
constexpr double kTwoPi = 6.283185307179586;

// The documented tone: amplitude * sin(n * ((2pi * 997) / rate)), with the
// sine that rounds the same on every system.
double expectedTone(double n, double rate) {
    const double increment = (kTwoPi * 997.0) / rate;
    return kAmplitude * vexmold::portableSin(n * increment);
}

// One instance after host open and resume, two channels.
class ToneRig : public EffectRig<tonegen::TVexmoldEffect> {
  public:
    explicit ToneRig(float sampleRate = 44100.0f) : EffectRig(sampleRate) {}

    // Runs `frames` frames through the 64-bit path in blocks of `block`;
    // appends the outputs. Inputs are given by `input` (frame index -> value).
    template <typename Input>
    void run(int64_t frames, int block, Input input, std::vector<double>& left,
             std::vector<double>& right) {
        std::vector<double> in0, in1, out0, out1;
        for (int64_t start = 0; start < frames; start += block) {
            const int n = static_cast<int>(std::min<int64_t>(block, frames - start));
            in0.resize(static_cast<size_t>(n));
            in1.resize(static_cast<size_t>(n));
            out0.assign(static_cast<size_t>(n), 7.0);
            out1.assign(static_cast<size_t>(n), 7.0);
            for (int i = 0; i < n; ++i) {
                in0[static_cast<size_t>(i)] = input(start + i);
                in1[static_cast<size_t>(i)] = -input(start + i);
            }
            const double* inputs[] = {in0.data(), in1.data()};
            double* outputs[] = {out0.data(), out1.data()};
            fx->processDouble(inputs, outputs, n);
            left.insert(left.end(), out0.begin(), out0.end());
            right.insert(right.end(), out1.begin(), out1.end());
        }
    }
    void run(int64_t frames, int block, std::vector<double>& left, std::vector<double>& right) {
        run(
            frames, block, [](int64_t) { return 0.0; }, left, right);
    }
};

bool sameBits(double a, double b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

TEST(EffectToneGenSetup, IdentityAndInitialisedConstants) {
    ToneRig rig;
    EXPECT_EQ(rig.fx->effectName, "KESTRAVON - Tone Generator, 997 Hz, -18 dB FS - (20260720)");
    EXPECT_EQ(rig.fx->vendorString, "KESTRAVON");
    // 'KVTG', 1263948871: an ID of its own, not the meter's 6248.
    EXPECT_EQ(rig.fx->uniqueId, 0x4B565447u);
    EXPECT_EQ(rig.fx->channelCount, 2u);
    EXPECT_EQ(rig.fx->parameterCount(), 0);

    const tonegen::Variables& v = rig.fx->vars;
    uint64_t bits = 0;
    std::memcpy(&bits, &v.toneAmplitude, sizeof bits);
    EXPECT_EQ(bits, 0x3FC01D3F2D9684D0u);
    EXPECT_EQ(v.toneFrequency, 997.0);
    EXPECT_EQ(v.twoPi, 6.283185307179586);
    EXPECT_EQ(v.versionDate, 20260720.0);
    EXPECT_EQ(v.sampleCounter, 0.0);
    EXPECT_EQ(rig.fx->redrawRate, 30.0);
    EXPECT_EQ(rig.fx->common.sampleRateValue, 44100.0);
}

TEST(EffectToneGenOutput, FirstFramesFollowTheDocumentedFormulaExactly) {
    ToneRig rig;
    std::vector<double> left, right;
    rig.run(2, 2, left, right);
    EXPECT_TRUE(sameBits(left[0], 0.0));
    const double increment = (6.283185307179586 * 997.0) / 44100.0;
    EXPECT_EQ(rig.fx->vars.phaseIncrement, increment);
    EXPECT_EQ(left[1], 0.12589254117941673 * vexmold::portableSin(1.0 * increment));
    EXPECT_NEAR(left[1], 0.017822759176936754, 1e-17);

    // And on from there, frame by frame.
    rig.run(998, 100, left, right);
    for (size_t n = 0; n < left.size(); ++n)
        ASSERT_EQ(left[n], expectedTone(static_cast<double>(n), 44100.0)) << n;
    EXPECT_EQ(rig.fx->vars.sampleCounter, 1000.0);
    EXPECT_EQ(rig.fx->vars.frameWidth, 100.0);
    EXPECT_EQ(rig.fx->vars.frameHeight, 100.0);
}

TEST(EffectToneGenOutput, FloatPathNarrowsTheSameTone) {
    ToneRig rig;
    std::vector<float> in(64, 0.5f), out0(64, 7.0f), out1(64, 7.0f);
    const float* inputs[] = {in.data(), in.data()};
    float* outputs[] = {out0.data(), out1.data()};
    rig.fx->process(inputs, outputs, 64);
    for (size_t n = 0; n < 64; ++n) {
        EXPECT_EQ(out0[n], static_cast<float>(expectedTone(static_cast<double>(n), 44100.0))) << n;
        EXPECT_EQ(std::memcmp(&out0[n], &out1[n], sizeof(float)), 0) << n;
    }
}

TEST(EffectToneGenOutput, BothChannelsAreIdenticalAndIgnoreTheInput) {
    ToneRig quiet, noisy;
    std::vector<double> ql, qr, nl, nr;
    quiet.run(5000, 512, ql, qr);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    noisy.run(
        5000, 512,
        [nan](int64_t n) { return n % 97 == 0 ? nan : std::sin(static_cast<double>(n) * 0.3); }, nl,
        nr);
    ASSERT_EQ(ql.size(), 5000u);
    for (size_t i = 0; i < ql.size(); ++i) {
        ASSERT_TRUE(sameBits(ql[i], qr[i])) << i;
        ASSERT_TRUE(sameBits(ql[i], nl[i])) << i;
        ASSERT_TRUE(sameBits(nl[i], nr[i])) << i;
    }
}

TEST(EffectToneGenOutput, BlockSizeDoesNotChangeTheOutput) {
    ToneRig single, large, odd;
    std::vector<double> sl, sr, ll, lr, ol, orr;
    single.run(10000, 1, sl, sr);
    large.run(10000, 4096, ll, lr);
    odd.run(10000, 333, ol, orr);
    ASSERT_EQ(sl.size(), ll.size());
    EXPECT_EQ(std::memcmp(sl.data(), ll.data(), sl.size() * sizeof(double)), 0);
    EXPECT_EQ(std::memcmp(sl.data(), ol.data(), sl.size() * sizeof(double)), 0);
    EXPECT_EQ(std::memcmp(sr.data(), lr.data(), sr.size() * sizeof(double)), 0);
}

TEST(EffectToneGenOutput, ZeroSampleRateGivesExactSilence) {
    ToneRig rig(0.0f);
    std::vector<double> left, right;
    rig.run(
        3000, 256, [](int64_t) { return 0.9; }, left, right);
    EXPECT_EQ(rig.fx->vars.phaseIncrement, 0.0);
    for (size_t i = 0; i < left.size(); ++i) {
        ASSERT_TRUE(sameBits(left[i], 0.0)) << i;
        ASSERT_TRUE(sameBits(right[i], 0.0)) << i;
    }
    // The counter still runs.
    EXPECT_EQ(rig.fx->vars.sampleCounter, 3000.0);
}

TEST(EffectToneGenOutput, SampleRateChangeTakesEffectAtTheNextBlockWithoutRestart) {
    ToneRig rig(44100.0f);
    std::vector<double> left, right;
    rig.run(100, 100, left, right);
    rig.plux->setSampleRate(48000.0f);  // no re-initialisation
    rig.run(100, 100, left, right);
    ASSERT_EQ(left.size(), 200u);
    for (size_t n = 0; n < 100; ++n)
        EXPECT_EQ(left[n], expectedTone(static_cast<double>(n), 44100.0)) << n;
    for (size_t n = 100; n < 200; ++n)
        EXPECT_EQ(left[n], expectedTone(static_cast<double>(n), 48000.0)) << n;
    EXPECT_EQ(rig.fx->vars.sampleCounter, 200.0);
    EXPECT_EQ(rig.fx->vars.phaseIncrement, (kTwoPi * 997.0) / 48000.0);
}

TEST(EffectToneGenOutput, ReinitialisationRestartsTheTone) {
    ToneRig rig;
    std::vector<double> left, right;
    rig.run(500, 500, left, right);
    rig.fx->doResume();
    EXPECT_EQ(rig.fx->vars.sampleCounter, 0.0);
    left.clear();
    rig.run(2, 2, left, right);
    EXPECT_EQ(left[0], 0.0);
    EXPECT_EQ(left[1], expectedTone(1.0, 44100.0));
}

TEST(EffectToneGenOutput, CounterWrapsToZeroAfterTwoToThe53MinusTwo) {
    ToneRig rig;
    const double last = 9007199254740990.0;  // 2^53 - 2
    rig.fx->vars.sampleCounter = last - 1.0;
    std::vector<double> left, right;
    rig.run(4, 4, left, right);
    EXPECT_EQ(left[0], expectedTone(last - 1.0, 44100.0));
    EXPECT_EQ(left[1], expectedTone(last, 44100.0));
    EXPECT_TRUE(sameBits(left[2], 0.0));  // counter back at 0
    EXPECT_EQ(left[3], expectedTone(1.0, 44100.0));
    EXPECT_EQ(rig.fx->vars.sampleCounter, 2.0);
}

TEST(EffectToneGenOutput, PeakApproachesButNeverExceedsTheAmplitude) {
    ToneRig rig;
    std::vector<double> left, right;
    rig.run(441000, 4096, left, right);  // 10 s
    double peak = 0.0;
    for (const double v : left)
        peak = std::max(peak, std::fabs(v));
    EXPECT_LE(peak, kAmplitude);
    EXPECT_GT(peak, kAmplitude * 0.99999);
    // -18 dB FS.
    EXPECT_NEAR(20.0 * std::log10(peak), -18.0, 1e-3);
}

TEST(EffectToneGenOutput, SampleSectionAloneMatchesTheProcessingLoop) {
    ToneRig looped, stepped;
    std::vector<double> left, right;
    looped.run(3000, 1000, left, right);
    for (size_t n = 0; n < 3000; ++n) {
        if (n % 1000 == 0)
            stepped.fx->doBlock();
        stepped.fx->sampleValues[0] = 0.25;
        stepped.fx->sampleValues[1] = -0.25;
        stepped.fx->doSample();
        ASSERT_TRUE(sameBits(stepped.fx->sampleValues[0], left[n])) << n;
        ASSERT_TRUE(sameBits(stepped.fx->sampleValues[1], right[n])) << n;
    }
    EXPECT_EQ(std::memcmp(&looped.fx->vars, &stepped.fx->vars, sizeof(tonegen::Variables)), 0);
    // The last frame stays in sampleValues after the loop.
    EXPECT_TRUE(sameBits(looped.fx->sampleValues[0], left.back()));
}

TEST(EffectToneGenOutput, MissingBuffersStillGiveTheToneWhereWritten) {
    ToneRig rig, reference;
    std::vector<double> l(256, 7.0), ref0, ref1;
    const double in[256] = {};
    const double* inputs[] = {in, nullptr};
    double* outputs[] = {l.data(), nullptr};
    rig.fx->processDouble(inputs, outputs, 256);
    rig.fx->processDouble(nullptr, nullptr, 100);  // the counter runs on
    reference.run(256, 256, ref0, ref1);
    EXPECT_EQ(std::memcmp(l.data(), ref0.data(), l.size() * sizeof(double)), 0);
    EXPECT_EQ(rig.fx->vars.sampleCounter, 356.0);
}

TEST(EffectToneGenState, SavesSliderEntries1To64) {
    ToneRig rig;
    rig.fx->sliderValues[1] = 0.5;
    rig.fx->sliderValues[64] = -2.0;
    rig.fx->sliderValues[65] = 9.0;
    void* bytes = nullptr;
    const int32_t size = rig.fx->storeState(&bytes, false);
    ASSERT_EQ(size, 4 * 65);
    std::vector<float> values(65);
    std::memcpy(values.data(), bytes, sizeof(float) * values.size());
    std::vector<float> expected(65, 0.0f);
    expected[0] = -1000.0f;
    expected[1] = 0.5f;
    expected[64] = -2.0f;
    EXPECT_EQ(values, expected);
    EXPECT_EQ(rig.fx->vars.serializeLoop, 65.0);

    // Restoring fewer values leaves the other entries alone.
    ToneRig other;
    other.fx->sliderValues[2] = 3.0;
    const float chunk[] = {-1000.0f, 1.5f};
    EXPECT_EQ(other.fx->restoreState(chunk, sizeof chunk, false), 8);
    EXPECT_EQ(other.fx->sliderValues[1], 1.5);
    EXPECT_EQ(other.fx->sliderValues[2], 3.0);
}

TEST(EffectToneGenReset, ZeroesVariablesAndFillsTheDisplayTables) {
    ToneRig rig;
    std::vector<double> left, right;
    rig.run(100, 100, left, right);
    rig.fx->doReset();
    const tonegen::Variables zero{};
    EXPECT_EQ(std::memcmp(&rig.fx->vars, &zero, sizeof zero), 0);
    EXPECT_EQ(rig.fx->fileNames.size(), 3u);
    EXPECT_EQ(rig.fx->fileNames.at(0), "KESTRAVON_LogoTealGlow.PNG");
    EXPECT_EQ(rig.fx->fileNames.at(1), "KESTRAVON_WebLinkText.png");
    EXPECT_EQ(rig.fx->fileNames.at(2), "KESTRAVON_LogoTealGlow_PluginTitle_997HzToneGenerator.png");
    EXPECT_EQ(rig.fx->stringSlots.size(), 2u);
    EXPECT_EQ(rig.fx->stringSlots.at(10000), "Courier New");
    EXPECT_EQ(rig.fx->stringSlots.at(10001), "v");
}

}  // namespace
