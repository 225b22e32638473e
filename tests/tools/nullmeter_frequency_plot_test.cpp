#include "tools/nullmeter/plot.h"
#include "tools/nullmeter/frequency_levels.h"
#include "tests/support/png_image.h"
#include "tests/support/scratch_dir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <vector>

namespace {

using nullmeter::PlotData;
using nullmeter::SpectrumAccumulator;
using plux::testing_support::Image;
using plux::testing_support::readPng;
namespace fs = std::filesystem;

constexpr double kPi = 3.14159265358979323846;

std::vector<double> sine(std::size_t n, double cyclesPerSample, double amplitude) {
    std::vector<double> x(n);
    for (std::size_t i = 0; i < n; ++i)
        x[i] = amplitude * std::sin(2 * kPi * cyclesPerSample * static_cast<double>(i) + 0.3);
    return x;
}

TEST(NullmeterSpectrum, SineAtABinCentreReadsItsLevel) {
    for (double amplitude : {1.0, 0.1}) {
        SpectrumAccumulator s(10);
        const std::vector<double> x = sine(10240, 100.0 / 1024, amplitude);
        s.add(x.data(), x.size());
        const std::vector<double> levels = s.levelsDb();
        ASSERT_EQ(levels.size(), 513u);
        EXPECT_NEAR(levels[100], 20 * std::log10(amplitude), 0.01);
        EXPECT_LT(levels[110], -200);  // the Hann window's sidelobes are gone by then
    }
    // A constant has no mirror image: amplitude 1 also reads 0 dB at DC.
    SpectrumAccumulator dc(8);
    const std::vector<double> one(256, 1.0);
    dc.add(one.data(), one.size());
    EXPECT_NEAR(dc.levelsDb()[0], 0.0, 1e-9);
}

TEST(NullmeterSpectrum, SegmentsOverlapByHalfAndPiecesDoNotMatter) {
    SpectrumAccumulator whole(9);  // 512 samples, a new segment every 256
    const std::vector<double> x = sine(5000, 0.0123, 0.7);
    whole.add(x.data(), x.size());
    EXPECT_EQ(whole.segments(), 1 + (5000 - 512) / 256);

    SpectrumAccumulator pieces(9);
    for (std::size_t at = 0, step = 1; at < x.size(); at += step, step = step * 3 % 1013)
        pieces.add(x.data() + at, std::min(step, x.size() - at));
    EXPECT_EQ(pieces.segments(), whole.segments());
    EXPECT_EQ(pieces.levelsDb(), whole.levelsDb());

    SpectrumAccumulator tooShort(9);
    tooShort.add(x.data(), 511);
    EXPECT_EQ(tooShort.segments(), 0);
}

TEST(NullmeterSpectrum, SilenceAndNoSegmentsReadTheFloor) {
    SpectrumAccumulator s(6);
    EXPECT_EQ(s.levelsDb(-150), std::vector<double>(33, -150.0));
    const std::vector<double> silence(1000, 0.0), damaged(1000, NAN);
    s.add(silence.data(), silence.size());
    s.add(damaged.data(), damaged.size());
    EXPECT_GT(s.segments(), 0);
    EXPECT_EQ(s.levelsDb(), std::vector<double>(33, -400.0));
}

// --- Plot ----------------------------------------------------------------------

class FontCaches : public ::testing::Environment {
  public:
    void TearDown() override { nullmeter::releasePlotCaches(); }
};
const auto* const kFontCaches = ::testing::AddGlobalTestEnvironment(new FontCaches);

// Pixels of a strong colour (series) in rows first ... last - 1; text, axes
// and grid are grey.
int colouredPixels(const Image& image, int first, int last) {
    int count = 0;
    for (int y = first; y < last; ++y)
        for (int x = 0; x < image.width; ++x) {
            count += plux::testing_support::coloured(
                image.pixels[static_cast<std::size_t>(y * image.width + x)]);
        }
    return count;
}

PlotData plotData() {
    PlotData d;
    d.title = "a.wav vs b.wav \xff";  // not UTF-8
    d.verdict = "NULL at -140 dB";
    d.sampleRate = 48000;
    d.fftSize = 1024;
    return d;
}

Image plot(const PlotData& d, const char* name) {
    const fs::path path = plux::testing_support::scratchDir() / name;
    std::string error;
    EXPECT_TRUE(nullmeter::writePlotPng(path, d, error)) << error;
    return readPng(path);
}

TEST(NullmeterPlot, SeriesLandInTheirPanels) {
    PlotData empty = plotData();
    const Image blank = plot(empty, "empty.png");
    ASSERT_EQ(blank.width, 1000);
    ASSERT_EQ(blank.height, 700);
    EXPECT_EQ(colouredPixels(blank, 0, 700), 0);

    PlotData levels = plotData();
    levels.windowEndSeconds = {1, 2, 3, 4};
    levels.inputLevels = {{"A ch 1", {0, 0, NAN, -3}}};
    levels.residualLevels = {{"residual ch 1", {-400, -400, -400, -400}}};
    const Image top = plot(levels, "levels.png");
    EXPECT_GT(colouredPixels(top, 0, 350), 500);
    EXPECT_EQ(colouredPixels(top, 350, 700), 0);

    PlotData spectra = plotData();
    spectra.inputSpectra = {{"A", std::vector<double>(513, -20.0)}};
    spectra.residualSpectra = {{"residual", std::vector<double>(100, NAN)}};
    const Image bottom = plot(spectra, "spectra.png");
    EXPECT_EQ(colouredPixels(bottom, 0, 350), 0);
    EXPECT_GT(colouredPixels(bottom, 350, 700), 500);
}

TEST(NullmeterPlot, LevelsBelowTheAxisDrawOnTheBottomEdge) {
    PlotData silence = plotData(), low = plotData(), none = plotData();
    silence.windowEndSeconds = low.windowEndSeconds = none.windowEndSeconds = {0.5};
    silence.inputLevels = {{"A", {-400}}};  // one window: a dot
    low.inputLevels = {{"A", {-170}}};
    none.inputLevels = {{"A", {NAN}}};  // the legend alone
    const Image a = plot(silence, "silence.png"), b = plot(low, "low.png");
    EXPECT_EQ(a.pixels, b.pixels);
    EXPECT_NE(a.pixels, plot(none, "none.png").pixels);
}

TEST(NullmeterPlot, FailuresNameTheFileAndLeaveNothing) {
    const fs::path dir = plux::testing_support::scratchDir() / "missing";
    const fs::path path = dir / "plot.png";
    std::string error;
    EXPECT_FALSE(nullmeter::writePlotPng(path, plotData(), error));
    EXPECT_EQ(error.rfind(path.string() + ": cannot write (", 0), 0u) << error;
    EXPECT_FALSE(fs::exists(dir));

    const fs::path here = plux::testing_support::scratchDir() / "rate.png";
    PlotData noRate = plotData();
    noRate.sampleRate = 0;
    EXPECT_FALSE(nullmeter::writePlotPng(here, noRate, error));
    EXPECT_NE(error.find(here.string()), std::string::npos);
    EXPECT_FALSE(fs::exists(here));
    for (const auto& entry : fs::directory_iterator(here.parent_path()))
        EXPECT_EQ(entry.path().string().find(".part-"), std::string::npos) << entry.path();
}

}  // namespace
