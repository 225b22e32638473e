// Gathers what the plot shows while the files stream past: each window's
// input and residual levels (halved in resolution whenever they pass a few
// thousand points, so memory stays bounded) and the spectra of A and of the
// side signal.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/nullmeter/channel_pair_meter.h"
#include "tools/nullmeter/plot.h"
#include "tools/nullmeter/frequency_levels.h"

namespace nullmeter {

class PlotCollector {
  public:
    PlotCollector(int channels, int sampleRate);

    void window(const WindowResult& w, std::int64_t firstFrameOfA);
    void block(const std::vector<std::vector<double>>& a,
               const std::vector<std::vector<double>>& b, std::int64_t frames);
    PlotData data(const std::string& title, const std::string& verdict) const;

    static constexpr std::size_t kMaxPoints = 4096;

  private:
    struct Point {
        double endSeconds, inputPower, residualPower;  // mean squares
    };
    int sampleRate_;
    std::vector<std::vector<Point>> points_;  // per channel
    std::vector<SpectrumAccumulator> input_, residual_;
    std::vector<double> side_;
};

}  // namespace nullmeter
