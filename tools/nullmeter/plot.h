// The picture of a null test: residual level per window over time against
// the inputs' levels, the residual's spectrum against the input's and, when
// measured, B's gain and phase against A per band.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "tools/common/staged_file.h"
#include "tools/nullmeter/band_analysis.h"

namespace nullmeter {

struct Series {
    std::string label;         // "A ch 1", "residual ch 1", ...
    std::vector<double> values;  // dB FS; -400 (digital silence) draws at the bottom edge
};

struct PlotData {
    std::string title;  // e.g. "mix-v1.wav vs mix-v2.wav"
    std::string verdict;  // the tool's verdict line, shown under the title
    double sampleRate = 0;
    // Level panel: one value per measuring window, at the window's end time.
    std::vector<double> windowEndSeconds;
    std::vector<Series> inputLevels;     // RMS of each input channel per window
    std::vector<Series> residualLevels;  // RMS of the side signal (A - B) / 2 per window
    // Spectrum panel: bins 0 ... fftSize / 2, log frequency axis.
    int fftSize = 0;
    std::vector<Series> inputSpectra;
    std::vector<Series> residualSpectra;
    // Band panels, drawn below the others when there are any: per channel,
    // B's gain (dB) and phase (degrees) against A per band.
    std::vector<std::vector<BandReading>> bands;
};

// Draws a PNG (1000 x 700, taller with band panels) through the toolkit's
// drawing layer: cairo natively, GDI+ on Windows, the same layout on both.
// The file appears only when complete; on failure `error` names the file
// and says why.
bool writePlotPng(const std::filesystem::path& path, const PlotData& data, std::string& error);
// The same into a begun output's temporary, which the caller commits with
// the run's other outputs; on failure the temporary is gone.
bool writePlotPng(plux::files::StagedFile& output, const PlotData& data, std::string& error);

// Natively, cairo keeps the fonts it used in process-wide caches, and
// fontconfig stores its configuration's pointers as offsets a leak checker
// cannot follow. A program calls this once it has drawn its last plot, so
// that sanitizer builds report only real leaks.
void releasePlotCaches();

}  // namespace nullmeter
