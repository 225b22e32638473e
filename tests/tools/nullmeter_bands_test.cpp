// Where a null test differs, by band: the standard bands, the levels of A
// and of the residual, B's gain and phase per band, the lines the diagnosis
// gives from them (and withholds), and the bands in the tool's reports.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "tests/support/noise_signal.h"
#include "tests/tools/nullmeter_command.h"
#include "tests/support/png_image.h"
#include "tests/support/scratch_dir.h"
#include "tools/common/audio_file.h"
#include "tools/nullmeter/band_analysis.h"
#include "tools/nullmeter/band_threads.h"
#include "tools/nullmeter/diagnosis.h"
#include "tools/nullmeter/options.h"
#include "tools/nullmeter/plot.h"

namespace {

using namespace nullmeter;
using Channels = std::vector<std::vector<double>>;
using Readings = std::vector<std::vector<BandReading>>;

constexpr double kPi = 3.14159265358979323846;
constexpr double kFloor = -400.0;

struct Tone {
    double hz, amplitude;
};

// Sines with phases of their own, delayed by `delay` samples (analytically,
// so a fraction of a sample is exact).
std::vector<double> render(const std::vector<Tone>& tones, std::size_t frames, double rate,
                           double delay = 0) {
    std::vector<double> x(frames, 0.0);
    for (std::size_t t = 0; t < tones.size(); ++t)
        for (std::size_t i = 0; i < frames; ++i)
            x[i] += tones[t].amplitude *
                    std::sin(2 * kPi * tones[t].hz * (static_cast<double>(i) - delay) / rate +
                             0.7 * static_cast<double>(t));
    return x;
}

// A tone at each band's centre; `gainDb(band index)` scales B's copy.
template <typename GainOf>
void tonesPerBand(const std::vector<Band>& bands, double amplitude, GainOf gainDb,
                  std::vector<Tone>& a, std::vector<Tone>& b) {
    for (std::size_t i = 0; i < bands.size(); ++i) {
        a.push_back({bands[i].centreHz, amplitude});
        b.push_back({bands[i].centreHz, amplitude * std::pow(10.0, gainDb(i) / 20)});
    }
}

// Through an analyzer in blocks of `block` frames, as the tool's tap hands them.
Readings analyse(const Channels& a, const Channels& b, int rate, BandResolution resolution,
                 std::size_t block = 4096, std::int64_t expectedFrames = 0) {
    BandAnalyzer analyzer(static_cast<int>(a.size()), rate, resolution, expectedFrames);
    Channels pa(a.size()), pb(b.size());
    for (std::size_t at = 0; at < a[0].size(); at += block) {
        const std::size_t n = std::min(block, a[0].size() - at);
        for (std::size_t c = 0; c < a.size(); ++c) {
            pa[c].assign(a[c].begin() + at, a[c].begin() + at + n);
            pb[c].assign(b[c].begin() + at, b[c].begin() + at + n);
        }
        analyzer.block(pa, pb, static_cast<std::int64_t>(n));
    }
    return analyzer.bands();
}

std::size_t bandAt(const std::vector<Band>& bands, double nominalHz) {
    for (std::size_t i = 0; i < bands.size(); ++i)
        if (nominalCentreHz(bands[i].centreHz) == nominalHz)
            return i;
    ADD_FAILURE() << "no band at " << nominalHz;
    return 0;
}

TEST(NullmeterBands, OctavesAndThirdsAreTheBase10SeriesUpToNyquist) {
    const double g = std::pow(10.0, 0.3);
    const std::vector<double> octaveNames = {31.5, 63,   125,  250,  500,
                                             1000, 2000, 4000, 8000, 16000};
    const std::vector<double> thirdNames = {25,   31.5, 40,    50,    63,    80,   100,  125,
                                            160,  200,  250,   315,   400,   500,  630,  800,
                                            1000, 1250, 1600,  2000,  2500,  3150, 4000, 5000,
                                            6300, 8000, 10000, 12500, 16000, 20000};
    for (double rate : {44100.0, 48000.0}) {
        const std::vector<Band> octaves = standardBands(BandResolution::Octave, rate);
        const std::vector<Band> thirds = standardBands(BandResolution::Third, rate);
        ASSERT_EQ(octaves.size(), octaveNames.size()) << rate;
        ASSERT_EQ(thirds.size(), thirdNames.size()) << rate;
        for (std::size_t i = 0; i < octaves.size(); ++i) {
            const Band& o = octaves[i];
            EXPECT_NEAR(o.centreHz, 1000 * std::pow(g, static_cast<double>(i) - 5),
                        1e-9 * o.centreHz);
            EXPECT_EQ(nominalCentreHz(o.centreHz), octaveNames[i]);
            EXPECT_NEAR(o.lowHz, o.centreHz / std::sqrt(g), 1e-9 * o.centreHz);
            EXPECT_NEAR(o.highHz, std::min(rate / 2, o.centreHz * std::sqrt(g)), 1e-9 * o.centreHz);
            // Three thirds make the octave, its centre the middle one's.
            EXPECT_NEAR(thirds[3 * i].lowHz, o.lowHz, 1e-9 * o.lowHz);
            EXPECT_NEAR(thirds[3 * i + 1].centreHz, o.centreHz, 1e-9 * o.centreHz);
            EXPECT_NEAR(thirds[3 * i + 2].highHz, o.highHz, 1e-9 * o.highHz);
        }
        for (std::size_t i = 0; i < thirds.size(); ++i) {
            EXPECT_EQ(nominalCentreHz(thirds[i].centreHz), thirdNames[i]);
            if (i + 1 < thirds.size()) {
                EXPECT_NEAR(thirds[i + 1].lowHz, thirds[i].highHz, 1e-9 * thirds[i].highHz);
            }
        }
        // The 16 kHz octave and the 20 kHz third end at 22387 Hz: whole at
        // 48 kHz, cut at Nyquist at 44.1 kHz; the next centre is above it.
        EXPECT_NEAR(octaves.back().highHz, rate == 48000 ? 22387.2 : 22050, 0.1);
        EXPECT_NEAR(thirds.back().highHz, rate == 48000 ? 22387.2 : 22050, 0.1);
    }
    const std::vector<Band> low = standardBands(BandResolution::Octave, 8000);
    ASSERT_EQ(low.size(), 8u);  // 3981 Hz is below Nyquist: kept, cut at 4 kHz
    EXPECT_EQ(low.back().highHz, 4000.0);
    EXPECT_TRUE(standardBands(BandResolution::Octave, 60).empty());
    EXPECT_TRUE(standardBands(BandResolution::Third, 0).empty());
    EXPECT_TRUE(standardBands(BandResolution::Third, NAN).empty());
}

TEST(NullmeterBands, SineReadsItsLevelInItsBandAndTheFloorElsewhere) {
    for (BandResolution res : {BandResolution::Octave, BandResolution::Third})
        for (int rate : {44100, 48000}) {
            const std::vector<Band> bands = standardBands(res, rate);
            for (std::size_t k : {std::size_t{0}, bandAt(bands, 1000), bands.size() - 1}) {
                const std::vector<double> a = render({{bands[k].centreHz, 0.5}}, 3 * rate, rate);
                const Readings r = analyse({a}, {a}, rate, res);
                ASSERT_EQ(r.size(), 1u);
                ASSERT_EQ(r[0].size(), bands.size());
                const std::string where = std::to_string(rate) + " Hz, band " + std::to_string(k);
                EXPECT_NEAR(r[0][k].aDb, 20 * std::log10(0.5), 0.1) << where;
                for (std::size_t j = 0; j < bands.size(); ++j) {
                    if (j + 2 <= k || j >= k + 2) {
                        EXPECT_LT(r[0][j].aDb, r[0][k].aDb - 60) << where << ", band " << j;
                    }
                    EXPECT_EQ(r[0][j].residualDb, kFloor);  // B = A
                    EXPECT_NEAR(r[0][j].gainDb, 0.0, 1e-9);
                    EXPECT_NEAR(r[0][j].phaseDeg, 0.0, 1e-9);
                }
            }
        }
}

TEST(NullmeterBands, GainInOneBandIsFoundThereAndNowhereElse) {
    const int rate = 48000;
    const std::vector<Band> bands = standardBands(BandResolution::Octave, rate);
    const std::size_t k = bandAt(bands, 2000);
    std::vector<Tone> ta, tb;
    tonesPerBand(
        bands, 0.05, [k](std::size_t i) { return i == k ? 0.7 : 0.0; }, ta, tb);
    const std::vector<double> a = render(ta, 2 * rate, rate), b = render(tb, 2 * rate, rate);
    const double residual = 20 * std::log10(0.05 * (std::pow(10.0, 0.7 / 20) - 1));
    // Segments overlapping (a short stream) or not (a long one announced).
    const Readings apart = analyse({a}, {b}, rate, BandResolution::Octave, 4096, 1LL << 40);
    const Readings r = analyse({a}, {b}, rate, BandResolution::Octave);
    for (std::size_t j = 0; j < bands.size(); ++j) {
        EXPECT_NEAR(apart[0][j].aDb, r[0][j].aDb, 0.05) << j;
        EXPECT_NEAR(apart[0][j].gainDb, r[0][j].gainDb, 0.005) << j;
        if (j + 2 <= k || j >= k + 2) {
            EXPECT_LT(apart[0][j].residualDb, residual - 60) << j;
        }
    }
    EXPECT_NEAR(apart[0][k].residualDb, residual, 0.1);
    for (std::size_t j = 0; j < bands.size(); ++j) {
        EXPECT_NEAR(r[0][j].aDb, 20 * std::log10(0.05), 0.1) << j;
        EXPECT_NEAR(r[0][j].gainDb, j == k ? 0.7 : 0.0, j == k ? 0.02 : 0.01) << j;
        EXPECT_NEAR(r[0][j].phaseDeg, 0.0, 0.01) << j;
        if (j + 2 <= k || j >= k + 2) {
            EXPECT_LT(r[0][j].residualDb, residual - 60) << j;
        }
    }
    EXPECT_NEAR(r[0][k].residualDb, residual, 0.1);
    // One band apart is neither a step nor white: nothing to say.
    EXPECT_TRUE(diagnoseBands(r, rate).empty());
}

TEST(NullmeterBands, DelayOfAFractionOfASampleShowsAsPhase) {
    const int rate = 44100;
    const double delay = 0.3;
    const std::vector<Band> bands = standardBands(BandResolution::Third, rate);
    std::vector<Tone> tones, same;
    tonesPerBand(
        bands, 0.02, [](std::size_t) { return 0.0; }, tones, same);
    const std::vector<double> a = render(tones, 3 * rate, rate);
    const std::vector<double> b = render(tones, 3 * rate, rate, delay);
    const Readings r = analyse({a}, {b}, rate, BandResolution::Third);
    for (std::size_t j = 0; j < bands.size(); ++j) {
        EXPECT_NEAR(r[0][j].phaseDeg, -360 * bands[j].centreHz * delay / rate, 0.02) << j;
        EXPECT_NEAR(r[0][j].gainDb, 0.0, 0.01) << j;
    }
    EXPECT_NEAR(r[0].back().phaseDeg, -48.87, 0.01);  // 19953 Hz, 0.3 of 1/44100 s
}

TEST(NullmeterBands, ShortStreamsSilenceAndBadInputAreMeasuredOrRefusedQuietly) {
    const int rate = 48000;
    const std::vector<Band> bands = standardBands(BandResolution::Octave, rate);
    const std::size_t k = bandAt(bands, 1000);
    // Shorter than one segment: measured as one shorter segment.
    const std::vector<double> shortTone = render({{bands[k].centreHz, 0.5}}, 4800, rate);
    const Readings shortReadings = analyse({shortTone}, {shortTone}, rate, BandResolution::Octave);
    EXPECT_NEAR(shortReadings[0][k].aDb, 20 * std::log10(0.5), 0.1);

    // The blocks' sizes do not matter.
    const std::vector<double> a = plux::testing_support::whiteNoise(60000, 3, 0.3);
    const std::vector<double> b = plux::testing_support::whiteNoise(60000, 4, 0.3);
    const Readings whole = analyse({a, b}, {b, a}, rate, BandResolution::Octave);
    const Readings pieces = analyse({a, b}, {b, a}, rate, BandResolution::Octave, 777);
    for (std::size_t c = 0; c < 2; ++c)
        for (std::size_t j = 0; j < bands.size(); ++j) {
            EXPECT_EQ(whole[c][j].aDb, pieces[c][j].aDb);
            EXPECT_EQ(whole[c][j].phaseDeg, pieces[c][j].phaseDeg);
        }

    // Silence, non-finite samples and blocks of too few channels read the
    // floor with gain and phase 0, never NaN.
    BandAnalyzer analyzer(2, rate, BandResolution::Third);
    const std::vector<double> nan(40000, NAN);
    analyzer.block({nan, nan}, {a, nan}, 40000);
    analyzer.block({a}, {a}, 40000);
    analyzer.block({a, a}, {a, a}, -5);
    const Readings silent = analyzer.bands();
    ASSERT_EQ(silent.size(), 2u);
    for (const auto& channel : silent)
        for (const BandReading& reading : channel) {
            EXPECT_EQ(reading.aDb, kFloor);
            EXPECT_EQ(reading.gainDb, 0.0);
            EXPECT_EQ(reading.phaseDeg, 0.0);
        }
    EXPECT_GT(silent[0][0].residualDb, -60.0);  // B's noise: A - B is not silent
    EXPECT_TRUE(BandAnalyzer(0, rate, BandResolution::Octave).bands().empty());
    EXPECT_TRUE(BandAnalyzer(1, 0, BandResolution::Octave).bands().empty());
}

// The analysis split over threads by channel reads what one analyser of all
// the channels reads, to the bit, in either segment mode; a non-finite
// sample counts as 0 in both.
TEST(NullmeterBands, ChannelsOnThreadsAndNonFiniteSamplesReadAsOneAnalyserOfZeros) {
    const int rate = 48000;
    const std::size_t frames = 7 * 16384 + 1000;
    Channels a, b;
    for (unsigned c = 0; c < 3; ++c) {
        a.push_back(plux::testing_support::whiteNoise(frames, 10 + c, 0.3));
        b.push_back(plux::testing_support::whiteNoise(frames, 20 + c, 0.3));
    }
    Channels spoiled = b, zeroed = b;
    for (std::size_t i : {std::size_t{5}, std::size_t{3 * 16384 + 17}, frames - 2}) {
        spoiled[1][i] = i % 2 ? NAN : INFINITY;
        spoiled[2][i] = -INFINITY;
        zeroed[1][i] = zeroed[2][i] = 0.0;
    }
    for (const std::int64_t expected : {std::int64_t{0}, std::int64_t{1} << 40}) {
        const Readings one = analyse(a, zeroed, rate, BandResolution::Octave, 5000, expected);
        const Readings bad = analyse(a, spoiled, rate, BandResolution::Octave, 5000, expected);
        BandThreads threads(3, rate, BandResolution::Octave, expected, 2);
        for (std::size_t at = 0; at < frames; at += 5000) {
            const std::size_t n = std::min<std::size_t>(5000, frames - at);
            Channels pa(3), pb(3);
            for (std::size_t c = 0; c < 3; ++c) {
                pa[c].assign(a[c].begin() + at, a[c].begin() + at + n);
                pb[c].assign(spoiled[c].begin() + at, spoiled[c].begin() + at + n);
            }
            threads.block(pa, pb, static_cast<std::int64_t>(n));
        }
        threads.finish();
        const Readings split = threads.bands();
        ASSERT_EQ(split.size(), 3u);
        for (std::size_t c = 0; c < 3; ++c)
            for (std::size_t j = 0; j < one[c].size(); ++j) {
                const std::string where = std::to_string(expected) + ", channel " +
                                          std::to_string(c) + ", band " + std::to_string(j);
                for (const Readings* r : {&bad, &split}) {
                    EXPECT_EQ((*r)[c][j].aDb, one[c][j].aDb) << where;
                    EXPECT_EQ((*r)[c][j].residualDb, one[c][j].residualDb) << where;
                    EXPECT_EQ((*r)[c][j].gainDb, one[c][j].gainDb) << where;
                    EXPECT_EQ((*r)[c][j].phaseDeg, one[c][j].phaseDeg) << where;
                }
            }
    }
}

// --- Diagnosis -----------------------------------------------------------------

// Tones at the band centres, B's scaled per band, through the analyzer.
template <typename GainOf> Readings stepped(BandResolution res, int rate, GainOf gainDb) {
    std::vector<Tone> ta, tb;
    tonesPerBand(standardBands(res, rate), 0.05, gainDb, ta, tb);
    return analyse({render(ta, 2 * rate, rate)}, {render(tb, 2 * rate, rate)}, rate, res);
}

TEST(NullmeterDiagnosis, StepInGainIsToldWithItsBandAndNoiseOrIdenticalFilesSayNothing) {
    const int rate = 48000;
    const Readings top =
        stepped(BandResolution::Octave, rate, [](std::size_t i) { return i == 9 ? -0.5 : 0.0; });
    EXPECT_EQ(
        diagnoseBands(top, rate),
        std::vector<std::string>{"B is 0.50 dB lower from the 16 kHz band up (above 11.2 kHz); "
                                 "below that the pair agrees within 0.01 dB"});
    const std::size_t k8 = bandAt(standardBands(BandResolution::Third, rate), 8000);
    const Readings thirds =
        stepped(BandResolution::Third, rate, [k8](std::size_t i) { return i >= k8 ? 0.25 : 0.0; });
    EXPECT_EQ(gainStep(thirds[0]), "B is 0.25 dB higher from the 8 kHz band up (above 7.08 kHz); "
                                   "below that the pair agrees within 0.01 dB");
    const Readings bass =
        stepped(BandResolution::Octave, rate, [](std::size_t i) { return i <= 1 ? -1.0 : 0.3; });
    EXPECT_EQ(gainStep(bass[0]), "B is 0.30 dB higher from the 125 Hz band up (above 89.1 Hz) "
                                 "and 1.00 dB lower below that");

    // Two channels that say the same say it once.
    EXPECT_EQ(diagnoseBands({top[0], top[0]}, rate)[0].rfind("all channels: B is 0.50 dB", 0), 0u);
    const std::vector<std::string> second = diagnoseBands({bass[0], top[0]}, rate);
    ASSERT_EQ(second.size(), 2u);
    EXPECT_EQ(second[1].rfind("channel 2: B is 0.50 dB lower", 0), 0u) << second[1];

    const std::vector<double> a = plux::testing_support::whiteNoise(4 * rate, 5, 0.25);
    const std::vector<double> b = plux::testing_support::whiteNoise(4 * rate, 6, 0.25);
    for (BandResolution res : {BandResolution::Octave, BandResolution::Third}) {
        EXPECT_TRUE(diagnoseBands(analyse({a}, {b}, rate, res), rate).empty());
        EXPECT_TRUE(diagnoseBands(analyse({a}, {a}, rate, res), rate).empty());
    }
}

std::vector<double> rounded(const std::vector<double>& x, int bits, bool dithered, unsigned seed) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> lsb(-0.5, 0.5);
    const double scale = std::pow(2.0, bits - 1);
    std::vector<double> out(x.size());
    for (std::size_t i = 0; i < x.size(); ++i)
        out[i] = std::round(x[i] * scale + (dithered ? lsb(random) + lsb(random) : 0.0)) / scale;
    return out;
}

TEST(NullmeterDiagnosis, RoundingResidualIsToldByItsBitsAndDither) {
    // q / sqrt(12) at 16 bits: -101.1 dB FS RMS, +3.01 dB re a full-scale sine.
    EXPECT_NEAR(roundingLevelDb(16, false), -98.09, 0.005);
    EXPECT_NEAR(roundingLevelDb(24, false) - roundingLevelDb(16, false), -48.16, 0.005);
    EXPECT_NEAR(roundingLevelDb(16, true) - roundingLevelDb(16, false), 4.77, 0.005);

    const int rate = 48000;
    const std::vector<double> a = plux::testing_support::whiteNoise(4 * rate, 7, 0.25);
    // The one line there is, with the largest |A - B| known.
    const auto line = [&](const std::vector<double>& b, BandResolution res) {
        double largest = 0;
        for (std::size_t i = 0; i < a.size(); ++i)
            largest = std::max(largest, std::fabs(a[i] - b[i]));
        const std::vector<std::string> lines =
            diagnoseBands(analyse({a}, {b}, rate, res), rate, {largest});
        return lines.size() == 1 ? lines[0] : "(" + std::to_string(lines.size()) + " lines)";
    };
    const std::string white = "the residual is white at the level of ";
    for (BandResolution res : {BandResolution::Octave, BandResolution::Third})
        EXPECT_EQ(
            line(rounded(a, 16, false, 1), res).rfind(white + "16-bit rounding (measured ", 0), 0u);
    EXPECT_EQ(line(rounded(a, 24, false, 1), BandResolution::Octave)
                  .rfind(white + "24-bit rounding (", 0),
              0u);
    EXPECT_EQ(line(rounded(a, 16, true, 2), BandResolution::Octave)
                  .rfind(white + "16-bit rounding with triangular dither (", 0),
              0u);
    // Gaussian noise of the same level is white there too, but its peaks go
    // beyond half a step: a line only while they are not known.
    std::mt19937 random(3);
    std::normal_distribution<double> gauss(0, std::pow(2.0, -15) / std::sqrt(12.0));
    std::vector<double> noisy = a;
    for (double& x : noisy)
        x += gauss(random);
    EXPECT_EQ(line(noisy, BandResolution::Octave), "(0 lines)");
    const Readings noisyBands = analyse({a}, {noisy}, rate, BandResolution::Octave);
    EXPECT_EQ(
        roundingResidual(noisyBands[0], rate).value_or("").rfind(white + "16-bit rounding (", 0),
        0u);
    // A tone's rounding error is its harmonics, not white: nothing.
    const std::vector<double> tone = render({{1000, 0.25}}, 4 * rate, rate);
    EXPECT_FALSE(roundingResidual(
        analyse({tone}, {rounded(tone, 16, false, 1)}, rate, BandResolution::Octave)[0], rate));
}

// --- The tool -------------------------------------------------------------------

TEST(NullmeterBandsCommand, JsonHasTheBandsTheTextItsTableAndThePlotItsPanels) {
    using plux::testing_support::lastLine;
    const std::filesystem::path dir = plux::testing_support::freshDir("bands");
    const int rate = 48000;
    std::vector<Tone> ta, tb;
    tonesPerBand(
        standardBands(BandResolution::Octave, rate), 0.05,
        [](std::size_t i) { return i == 9 ? -0.5 : 0.0; }, ta, tb);
    std::string error;
    for (const auto& [name, tones] : {std::pair{"a.wav", ta}, std::pair{"b.wav", tb}})
        ASSERT_TRUE(plux::audio::writeFile(dir / name, {rate, {render(tones, 2 * rate, rate)}},
                                           plux::audio::Encoding::Float64,
                                           plux::audio::Container::Wav, error))
            << error;
    const std::string files = (dir / "a.wav").string() + " " + (dir / "b.wav").string();

    const auto json = plux::testing_support::runNullmeter("--json " + files, dir);
    EXPECT_EQ(json.status, 1) << json.err;
    for (const char* field :
         {"\"bands\": [", "\"low_hz\": 22.3872113857", "\"centre_hz\": 31.6227766017",
          "\"high_hz\": 22387.2113857", "\"a_db\": -26.02", "\"residual_db\":", "\"gain_db\": -0.5",
          "\"phase_deg\":", "\"diagnosis\": [\n    \"B is 0.50 dB lower from the 16 kHz band up"})
        EXPECT_NE(json.out.find(field), std::string::npos) << field;
    // Only the final measurement has bands, not the one before alignment.
    const auto aligned = plux::testing_support::runNullmeter("--json --align " + files, dir);
    EXPECT_NE(aligned.out.find("\"before_alignment\""), std::string::npos) << aligned.err;
    EXPECT_EQ(aligned.out.find("\"bands\""), aligned.out.rfind("\"bands\""));
    EXPECT_GT(aligned.out.find("\"bands\""), aligned.out.find("\"summary\""));

    const auto text = plux::testing_support::runNullmeter("--bands third " + files, dir);
    EXPECT_EQ(text.status, 1) << text.err;
    for (const char* row : {"  band Hz        A dB   resid dB    null dB    gain dB  phase deg\n",
                            "\n  25 ", "\n  1.25k ", "\n  16k          -26.02 "})
        EXPECT_NE(text.out.find(row), std::string::npos) << row << "\n" << text.out;
    EXPECT_EQ(lastLine(text.out).rfind("FAIL", 0), 0u) << text.out;
    // The thirds between the tones hold only their leakage and do not count.
    EXPECT_NE(text.out.find("\ndiagnosis: B is 0.50 dB lower from the 16 kHz band up (above "
                            "14.1 kHz); below that the pair agrees within 0.01 dB\nFAIL"),
              std::string::npos);
    const auto plain = plux::testing_support::runNullmeter(files, dir);
    EXPECT_EQ(plain.out.find("band Hz"), std::string::npos);

    const auto octave = plux::testing_support::runNullmeter("--bands " + files, dir);
    const std::size_t diagnosis = octave.out.find("\ndiagnosis: B is 0.50 dB lower");
    EXPECT_NE(diagnosis, std::string::npos) << octave.out;
    EXPECT_EQ(octave.out.find('\n', diagnosis + 1) + 1, octave.out.rfind("FAIL"));

    // The plot grows by the gain and phase panels, drawn in colour.
    const std::filesystem::path png = dir / "plot.png";
    EXPECT_EQ(
        plux::testing_support::runNullmeter("--plot " + png.string() + " " + files, dir).status, 1);
    const plux::testing_support::Image image = plux::testing_support::readPng(png);
    ASSERT_EQ(image.height, 1130);
    int coloured = 0;
    for (int y = 730; y < 1080; ++y)
        for (int x = 70; x < 760; ++x)
            coloured += plux::testing_support::coloured(
                image.pixels[static_cast<std::size_t>(y * image.width + x)]);
    EXPECT_GT(coloured, 1000);
}

TEST(NullmeterBandsCommand, BandsTakeAResolutionOnlyWhenOneFollows) {
    Options o;
    std::string error;
    ASSERT_TRUE(parseOptions({"--bands", "third", "a.wav", "b.wav"}, o, error)) << error;
    EXPECT_TRUE(o.bands);
    EXPECT_EQ(o.bandResolution, BandResolution::Third);
    EXPECT_EQ(o.inputs.size(), 2u);
    Options next;
    ASSERT_TRUE(parseOptions({"--bands", "octave.wav", "--json"}, next, error)) << error;
    EXPECT_EQ(next.bandResolution, BandResolution::Octave);
    ASSERT_EQ(next.inputs.size(), 1u);
    EXPECT_EQ(next.inputs[0], "octave.wav");
    Options last;
    ASSERT_TRUE(parseOptions({"pair.wav", "--bands", "octave"}, last, error)) << error;
    EXPECT_EQ(last.inputs.size(), 1u);
}

}  // namespace
