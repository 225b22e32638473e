#include "tools/nullmeter/plot_collector.h"

#include <cmath>

#include "effects/nulltest/nulltest_effect.h"

namespace nullmeter {

PlotCollector::PlotCollector(int channels, int sampleRate)
    : sampleRate_(sampleRate), points_(static_cast<std::size_t>(channels)),
      input_(static_cast<std::size_t>(channels)), residual_(static_cast<std::size_t>(channels)) {}

void PlotCollector::window(const WindowResult& w, std::int64_t firstFrameOfA) {
    auto& points = points_[static_cast<std::size_t>(w.channel)];
    const double end =
        static_cast<double>(firstFrameOfA + w.startFrame + w.frames) / sampleRate_;
    points.push_back({end, w.left.rms * w.left.rms, w.side.rms * w.side.rms});
    if (points.size() < kMaxPoints)
        return;
    // Pairs of neighbours become one point: the later end, the mean energy.
    std::size_t kept = 0;
    for (std::size_t i = 0; i + 1 < points.size(); i += 2) {
        points[kept++] = {points[i + 1].endSeconds,
                          (points[i].inputPower + points[i + 1].inputPower) / 2,
                          (points[i].residualPower + points[i + 1].residualPower) / 2};
    }
    points.resize(kept);
}

void PlotCollector::block(const std::vector<std::vector<double>>& a,
                          const std::vector<std::vector<double>>& b, std::int64_t frames) {
    side_.resize(static_cast<std::size_t>(frames));
    for (std::size_t c = 0; c < input_.size(); ++c) {
        for (std::int64_t i = 0; i < frames; ++i)
            side_[static_cast<std::size_t>(i)] = (a[c][static_cast<std::size_t>(i)] -
                                                  b[c][static_cast<std::size_t>(i)]) * 0.5;
        input_[c].add(a[c].data(), static_cast<std::size_t>(frames));
        residual_[c].add(side_.data(), static_cast<std::size_t>(frames));
    }
}

PlotData PlotCollector::data(const std::string& title, const std::string& verdict) const {
    PlotData d;
    d.title = title;
    d.verdict = verdict;
    d.sampleRate = sampleRate_;
    const auto db = [](double power) { return nulltest::meterDb(std::sqrt(power)); };
    const bool several = points_.size() > 1;
    for (std::size_t c = 0; c < points_.size(); ++c) {
        const std::string suffix = several ? " ch " + std::to_string(c + 1) : "";
        Series input{"A" + suffix, {}}, residual{"residual (side)" + suffix, {}};
        for (const Point& p : points_[c]) {
            if (c == 0)
                d.windowEndSeconds.push_back(p.endSeconds);
            input.values.push_back(db(p.inputPower));
            residual.values.push_back(db(p.residualPower));
        }
        d.inputLevels.push_back(std::move(input));
        d.residualLevels.push_back(std::move(residual));
        d.fftSize = input_[c].size();
        d.inputSpectra.push_back({"A" + suffix, input_[c].levelsDb()});
        d.residualSpectra.push_back({"residual (side)" + suffix, residual_[c].levelsDb()});
    }
    return d;
}

}  // namespace nullmeter
