// The test-tone source: a continuous 997 Hz sine at -18 dB FS peak on both
// outputs, whatever arrives at the inputs.
#pragma once

#include "runtime/effectcommon.h"
#include "runtime/effectdisplay.h"
#include "runtime/triplebuffer.h"
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
    TVexmoldSectionMouse sectionMouse;
};

// The values the audio side writes and the display shows, handed to each
// draw through a triple buffer.
struct DisplayValues {
    double versionDate = 0;
    double frameWidth = 0, frameHeight = 0;
};

// The VST unique ID hosts know the tone generator by: the four characters
// 'KVTG' (0x4B565447), far from the meter's.
constexpr uint32_t kUniqueId =
    (uint32_t{'K'} << 24) | (uint32_t{'V'} << 16) | (uint32_t{'T'} << 8) | uint32_t{'G'};

// Editor surface in pixels.
constexpr int32_t kEditorWidth = 100;
constexpr int32_t kEditorHeight = 100;

class TVexmoldEffect final : public TVexmold {
  public:
    TVexmoldEffect();

    void doSlider() override;
    void doBlock() override;
    void doSample() override;
    void doReset() override;
    void doInit() override;
    void doSerialize() override;
    // `drawing` is this object or its drawing copy.
    void publishDisplayValues() override;
    void takeDisplayValues(TVexmold& drawing) override;
    TVexmold* newDrawingCopy() const override;
    void doGfx() override;

    TVexmoldCommonVariables common;
    Variables vars;
    DisplayValues shown;  // UI thread: what the last draw took

  protected:
    void runFrames(const float* const* inputs, float* const* outputs, int32_t frames,
                   int32_t channels) override;
    void runFrames(const double* const* inputs, double* const* outputs, int32_t frames,
                   int32_t channels) override;

  private:
    vexmold::TripleBuffer<DisplayValues> published;  // audio side to UI thread

    template <typename Sample>
    void runFramesLocally(const Sample* const* inputs, Sample* const* outputs, int32_t frames,
                          int32_t channels);
};

}  // namespace tonegen
