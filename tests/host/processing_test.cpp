// Audio through both plug-ins on both processing paths.
#include "tests/host/plugin_instance.h"

#include "runtime/math/sine.h"
#include "tests/support/noise_signal.h"

#include <cmath>
#include <cstdint>
#include <limits>

namespace {

constexpr double kAmplitude = 0.12589254117941673;
constexpr double kTwoPi = 6.283185307179586;

// The same bits from the DLL and the shared object: the tone's sine rounds
// identically on both systems.
double expectedTone(int64_t frame, double sampleRate) {
    const double increment = (kTwoPi * 997.0) / sampleRate;
    return vexmold::portableSin(static_cast<double>(frame) * increment) * kAmplitude;
}

template <typename Sample> std::vector<Sample> noise(size_t n, unsigned seed) {
    const std::vector<double> full = plux::testing_support::whiteNoise(n, seed, 1.0);
    return std::vector<Sample>(full.begin(), full.end());
}

// Renders `frames` frames of a freshly started instance in blocks of `block`.
template <typename Sample>
void render(PluginInstance& p, size_t frames, size_t block, std::vector<Sample>& left,
            std::vector<Sample>& right, unsigned inputSeed = 7) {
    std::vector<Sample> inL = noise<Sample>(frames, inputSeed);
    std::vector<Sample> inR = noise<Sample>(frames, inputSeed + 1);
    left.assign(frames, Sample(9));
    right.assign(frames, Sample(9));
    for (size_t at = 0; at < frames; at += block) {
        const size_t n = std::min(block, frames - at);
        Sample* in[2] = {inL.data() + at, inR.data() + at};
        Sample* out[2] = {left.data() + at, right.data() + at};
        p.processRaw(in, out, static_cast<VstInt32>(n));
    }
}

struct ToneGenerator : ::testing::Test {
    void SetUp() override { fakehost::reset(); }
};

TEST_F(ToneGenerator, FirstFramesAt44100OnTheDoublePath) {
    PluginInstance p("tonegen");
    p.start(44100.0f);
    std::vector<double> l, r;
    render(p, 64, 64, l, r);
    EXPECT_EQ(l[0], 0.0);
    EXPECT_EQ(l[1], 0.12589254117941673 * vexmold::portableSin(kTwoPi * 997.0 / 44100.0));
    for (size_t i = 0; i < l.size(); ++i) {
        EXPECT_EQ(l[i], expectedTone(static_cast<int64_t>(i), 44100.0)) << i;
        EXPECT_EQ(std::memcmp(&l[i], &r[i], sizeof(double)), 0) << i;
    }
}

TEST_F(ToneGenerator, FloatPathIsTheRoundedDoubleTone) {
    PluginInstance p("tonegen");
    p.start(48000.0f);
    std::vector<float> l, r;
    render(p, 1000, 100, l, r);
    for (size_t i = 0; i < l.size(); ++i) {
        EXPECT_EQ(l[i], static_cast<float>(expectedTone(static_cast<int64_t>(i), 48000.0))) << i;
        EXPECT_EQ(l[i], r[i]) << i;
    }
}

TEST_F(ToneGenerator, OutputDoesNotDependOnBlockSizeOrInput) {
    PluginInstance a("tonegen"), b("tonegen");
    a.start(44100.0f, 1);
    b.start(44100.0f, 4096);
    std::vector<double> la, ra, lb, rb;
    render(a, 8192, 1, la, ra, 1);
    render(b, 8192, 4096, lb, rb, 99);
    EXPECT_EQ(la, lb);
    EXPECT_EQ(ra, rb);
}

TEST_F(ToneGenerator, PeakApproachesButNeverExceedsMinus18dBFS) {
    PluginInstance p("tonegen");
    p.start(44100.0f);
    std::vector<double> l, r;
    render(p, 44100 * 2, 512, l, r);
    double peak = 0.0;
    for (double s : l)
        peak = std::max(peak, std::fabs(s));
    EXPECT_LE(peak, kAmplitude);
    EXPECT_GT(peak, kAmplitude * 0.99999);
}

TEST_F(ToneGenerator, SampleRateZeroIsSilence) {
    PluginInstance p("tonegen");
    p.start(0.0f);
    std::vector<float> l, r;
    render(p, 2048, 256, l, r);
    for (size_t i = 0; i < l.size(); ++i) {
        EXPECT_EQ(l[i], 0.0f);
        EXPECT_EQ(r[i], 0.0f);
    }
}

TEST_F(ToneGenerator, NonFiniteSampleRatesAreSilence) {
    for (float rate :
         {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
          -std::numeric_limits<float>::infinity()}) {
        PluginInstance p("tonegen");
        p.start(rate);
        std::vector<float> l, r;
        render(p, 512, 128, l, r);
        EXPECT_EQ(l, std::vector<float>(512, 0.0f)) << rate;
        EXPECT_EQ(r, std::vector<float>(512, 0.0f)) << rate;
    }
}

TEST_F(ToneGenerator, ResumeRestartsThePhase) {
    PluginInstance p("tonegen");
    p.start(44100.0f);
    std::vector<double> first, r;
    render(p, 300, 300, first, r);
    p.dispatch(effMainsChanged, 0, 0);
    p.dispatch(effMainsChanged, 0, 1);
    std::vector<double> second;
    render(p, 300, 300, second, r);
    EXPECT_EQ(first, second);
}

class NullTestTransparency : public ::testing::Test {
  protected:
    void SetUp() override {
        fakehost::reset();
        p.start(48000.0f, 512);
    }
    PluginInstance p{"nulltest"};
};

template <typename Sample> std::vector<Sample> awkwardSamples(size_t n) {
    std::vector<Sample> v = noise<Sample>(n, 3);
    const Sample specials[] = {std::numeric_limits<Sample>::quiet_NaN(),
                               std::numeric_limits<Sample>::signaling_NaN(),
                               std::numeric_limits<Sample>::infinity(),
                               -std::numeric_limits<Sample>::infinity(),
                               std::numeric_limits<Sample>::denorm_min(),
                               -std::numeric_limits<Sample>::denorm_min(),
                               std::numeric_limits<Sample>::max(),
                               std::numeric_limits<Sample>::lowest(),
                               Sample(-0.0),
                               Sample(1),
                               Sample(-1)};
    for (size_t i = 0; i < n; i += 7)
        v[i] = specials[(i / 7) % (sizeof specials / sizeof specials[0])];
    return v;
}

template <typename Sample> void expectTransparent(PluginInstance& p, size_t frames) {
    std::vector<Sample> inL = awkwardSamples<Sample>(frames);
    std::vector<Sample> inR = noise<Sample>(frames, 11);
    std::vector<Sample> outL(frames, Sample(5)), outR(frames, Sample(5));
    p.process(inL, inR, outL, outR);
    EXPECT_EQ(std::memcmp(outL.data(), inL.data(), frames * sizeof(Sample)), 0);
    EXPECT_EQ(std::memcmp(outR.data(), inR.data(), frames * sizeof(Sample)), 0);
}

TEST_F(NullTestTransparency, OutputEqualsInputBitForBitOnBothPaths) {
    for (size_t frames : {size_t(1), size_t(2), size_t(511), size_t(16384)}) {
        expectTransparent<float>(p, frames);
        expectTransparent<double>(p, frames);
    }
}

TEST_F(NullTestTransparency, InPlaceBuffers) {
    std::vector<double> l = noise<double>(1024, 21), r = noise<double>(1024, 22);
    const std::vector<double> l0 = l, r0 = r;
    double* io[2] = {l.data(), r.data()};
    p.processRaw(io, io, 1024);
    EXPECT_EQ(l, l0);
    EXPECT_EQ(r, r0);
}

class BufferEdgeCases : public ::testing::TestWithParam<const char*> {};

TEST_P(BufferEdgeCases, NullAndEmptyBuffersAreSurvived) {
    fakehost::reset();
    PluginInstance p(GetParam());
    p.start();
    std::vector<float> a(64, 0.5f), b(64, 0.5f);
    float* one[2] = {a.data(), nullptr};
    float* none[2] = {nullptr, nullptr};
    p.processRaw(static_cast<float**>(nullptr), static_cast<float**>(nullptr), 64);
    p.processRaw(none, none, 64);
    p.processRaw(one, one, 64);  // channel 1 reads silence and is not written
    std::vector<double> c(64, 0.5);
    double* dnone[2] = {nullptr, nullptr};
    p.processRaw(dnone, static_cast<double**>(nullptr), 64);
    float* both[2] = {a.data(), b.data()};
    p.processRaw(both, both, 0);
    p.processRaw(both, both, -5);
    // Output only, inputs missing: the tone generator still writes its tone.
    std::vector<float> outL(64, 9.0f), outR(64, 9.0f);
    float* out[2] = {outL.data(), outR.data()};
    p.processRaw(none, out, 64);
    if (std::string(GetParam()) == "nulltest") {
        EXPECT_EQ(outL, std::vector<float>(64, 0.0f));  // silence in, silence out
    } else {
        EXPECT_NE(outL, std::vector<float>(64, 9.0f));
        EXPECT_EQ(outL, outR);
    }
}

INSTANTIATE_TEST_SUITE_P(Plugins, BufferEdgeCases, ::testing::Values("nulltest", "tonegen"));

}  // namespace
