// nullmeter's plot of a 10-minute stereo comparison with bands: the time to
// draw it and save it as PNG, and the file's size. A plain program, the same
// on both builds (cairo natively, GDI+ under Wine): not a test.
// Usage: plot_bench [OUT.png]   (default plot_bench.png in the working folder)
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "tools/nullmeter/band_analysis.h"
#include "tools/nullmeter/plot.h"

namespace {

using namespace nullmeter;

constexpr int kChannels = 2;
constexpr int kWindows = 600;  // one a second
constexpr int kRuns = 10;

// Levels and spectra shaped like programme material and a small residual.
PlotData tenMinutePair() {
    PlotData d;
    d.title = "mix-v1.wav against mix-v2.wav";
    d.verdict = "FAIL: differs: 57599998 of 57600000 samples; null depth 14.20 bits";
    d.sampleRate = 48000;
    d.fftSize = 4096;
    for (int i = 1; i <= kWindows; ++i)
        d.windowEndSeconds.push_back(i);
    for (int c = 0; c < kChannels; ++c) {
        const std::string suffix = " ch " + std::to_string(c + 1);
        Series input{"A" + suffix, {}}, residual{"residual (side)" + suffix, {}};
        for (int i = 0; i < kWindows; ++i) {
            input.values.push_back(-20 - 3 * std::sin(i * 0.1 + c));
            residual.values.push_back(-90 - 10 * std::sin(i * 0.03 + c));
        }
        d.inputLevels.push_back(input);
        d.residualLevels.push_back(residual);
        Series inputSpectrum{input.label, {}}, residualSpectrum{residual.label, {}};
        for (int k = 0; k <= d.fftSize / 2; ++k) {
            inputSpectrum.values.push_back(-30 - 40 * std::log10(1 + k / 100.0) +
                                           5 * std::sin(k * 0.7));
            residualSpectrum.values.push_back(-110 - 20 * std::log10(1 + k / 50.0) +
                                              8 * std::sin(k * 1.3 + c));
        }
        d.inputSpectra.push_back(inputSpectrum);
        d.residualSpectra.push_back(residualSpectrum);
        std::vector<BandReading> bands;
        for (const Band& b : standardBands(BandResolution::Octave, d.sampleRate))
            bands.push_back({b.lowHz, b.highHz, b.centreHz, -30, -100, -0.2 * c, 3.0 * c});
        d.bands.push_back(bands);
    }
    return d;
}

}  // namespace

int main(int argc, char** argv) {
    const std::filesystem::path out =
        std::filesystem::u8path(argc > 1 ? argv[1] : "plot_bench.png");
    const PlotData data = tenMinutePair();
    std::string error;
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < kRuns; ++i) {
        if (!writePlotPng(out, data, error)) {
            std::fprintf(stderr, "plot_bench: %s\n", error.c_str());
            return 2;
        }
    }
    const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
    std::printf("plot of a 10-minute stereo pair with bands: %.1f ms to draw and save, %ju bytes\n",
                took.count() / kRuns, static_cast<std::uintmax_t>(std::filesystem::file_size(out)));
    return 0;
}
