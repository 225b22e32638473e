#include "tools/nullmeter/band_threads.h"

#include <algorithm>
#include <thread>

namespace nullmeter {

BandThreads::BandThreads(int channels, int sampleRate, BandResolution resolution,
                         std::int64_t expectedFrames, int threads) {
    const int count = std::max(1, std::min(channels, threads));
    groups_.resize(static_cast<std::size_t>(count));
    for (int g = 0; g < count; ++g) {
        std::vector<std::size_t> members;
        for (int c = g; c < channels; c += count)
            members.push_back(static_cast<std::size_t>(c));
        Group& group = groups_[static_cast<std::size_t>(g)];
        group.analyzer = std::make_unique<BandAnalyzer>(static_cast<int>(members.size()),
                                                        sampleRate, resolution, expectedFrames);
        BandAnalyzer* analyzer = group.analyzer.get();
        group.thread = std::make_unique<TapThread>(
            [analyzer](const std::vector<std::vector<double>>& a,
                       const std::vector<std::vector<double>>& b,
                       std::int64_t frames) { analyzer->block(a, b, frames); },
            std::move(members));
    }
}

BandThreads::~BandThreads() {
    finish();
}

void BandThreads::block(const std::vector<std::vector<double>>& a,
                        const std::vector<std::vector<double>>& b, std::int64_t frames) {
    for (Group& group : groups_)
        group.thread->block(a, b, frames);
}

void BandThreads::finish() {
    for (Group& group : groups_)
        group.thread->finish();
}

std::vector<std::vector<BandReading>> BandThreads::bands() const {
    std::vector<std::vector<std::vector<BandReading>>> perGroup;
    std::size_t channels = 0;
    for (const Group& group : groups_) {
        perGroup.push_back(group.analyzer->bands());
        channels += perGroup.back().size();
    }
    // Channel c is member c / groups of group c % groups.
    std::vector<std::vector<BandReading>> out(channels);
    const std::size_t count = groups_.size();
    for (std::size_t c = 0; c < channels; ++c) {
        const auto& readings = perGroup[c % count];
        if (c / count < readings.size())
            out[c] = readings[c / count];
    }
    return out;
}

int bandThreadsFor(int channels) {
    const int cores = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    return std::max(1, std::min(channels, cores));
}

}  // namespace nullmeter
