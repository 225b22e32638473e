// The test-tone source: a continuous 997 Hz sine at -18 dB FS peak on both
// outputs, whatever arrives at the inputs.
#pragma once

#include "runtime/effectcommon.h"
#include "runtime/vexmold.h"

namespace tonegen {

struct Variables {
    double versionDate = 0;
    double toneFrequency = 0;
    double toneAmplitude = 0;
    double twoPi = 0;
    double sampleCounter = 0;   // index of the next frame since initialisation
    double phaseIncrement = 0;  // radians per frame
    double frameWidth = 0, frameHeight = 0;
    // Display state.
    double blockX = 0, blockY = 0;
    double glowPhase = 0, glowAlpha = 0;
    double serializeLoop = 0;
};

class TVexmoldEffect final : public TVexmold {
  public:
    TVexmoldEffect();

    void doSlider() override;
    void doBlock() override;
    void doSample() override;
    void doReset() override;
    void doInit() override;
    void doSerialize() override;

    TVexmoldCommonVariables common;
    Variables vars;

  protected:
    void runFrames(const float* const* inputs, float* const* outputs, int32_t frames,
                   int32_t channels) override;
    void runFrames(const double* const* inputs, double* const* outputs, int32_t frames,
                   int32_t channels) override;

  private:
    template <typename Sample>
    void runFramesLocally(const Sample* const* inputs, Sample* const* outputs, int32_t frames,
                          int32_t channels);
};

}  // namespace tonegen
