// The band analysis beside the measurement: it costs more than the
// measurement itself, so the channels are split into groups, each with an
// analyser and a thread of its own, and the groups run side by side.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "tools/nullmeter/band_analysis.h"
#include "tools/nullmeter/tap_thread.h"

namespace nullmeter {

class BandThreads {
  public:
    // `threads`: how many groups at most (at least one).
    BandThreads(int channels, int sampleRate, BandResolution resolution,
                std::int64_t expectedFrames, int threads);
    ~BandThreads();
    BandThreads(const BandThreads&) = delete;
    BandThreads& operator=(const BandThreads&) = delete;

    // A block of every channel, as a measurement's tap hands it over.
    void block(const std::vector<std::vector<double>>& a, const std::vector<std::vector<double>>& b,
               std::int64_t frames);
    // Waits for every block handed over.
    void finish();
    // Per channel, per band, in the channels' order (after finish()).
    std::vector<std::vector<BandReading>> bands() const;

  private:
    struct Group {
        std::unique_ptr<BandAnalyzer> analyzer;
        std::unique_ptr<TapThread> thread;
    };
    std::vector<Group> groups_;  // channels g, g + groups, g + 2 groups ...
};

// How many band threads a run of `channels` channels uses on this machine.
int bandThreadsFor(int channels);

}  // namespace nullmeter
