// Per-channel sample values of the current frame, and the block and sample
// sections that run over them.
#pragma once

#include <vector>

#include "runtime/sliders.h"

class CVexmoldSamples : public CVexmoldSliders {
  public:
    static constexpr int kMaxChannels = 64;

    // The block section: once per processing call, before the frames.
    virtual void doBlock() {}
    // The sample section: once per frame, over sampleValues.
    virtual void doSample() {}

    // Channel c of the current frame; never resized.
    std::vector<double> sampleValues = std::vector<double>(kMaxChannels, 0.0);

  protected:
    CVexmoldSamples() = default;
    ~CVexmoldSamples() = default;
};
