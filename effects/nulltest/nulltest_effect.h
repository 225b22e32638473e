// The null-test meter: left and right pass through untouched while RMS and
// peak of left, right, mid and side are measured over a window of adjustable
// length, in dB FS and in bits below full scale.
#pragma once

#include "effects/nulltest/window_meter.h"
#include "runtime/effectcommon.h"
#include "runtime/effectdisplay.h"
#include "runtime/triplebuffer.h"
#include "runtime/vexmold.h"

namespace nulltest {

// Running and last-window results of one signal.
struct SignalMeter {
    double sumSquares = 0;
    double runningPeak = 0;
    double rms = 0;
    double rmsDb = 0;
    double rmsBits = 0;
    double peakDb = 0;
    double peakBits = 0;
};

struct Variables {
    SignalMeter left, right, mid, side;
    double versionDate = 0;
    double windowSampleCount = 0;
    double windowLength = 0;  // frames per window; may have a fraction
    double floorDb = 0;       // reported at or below the threshold
    double dbPerBit = 0;
    double threshold = 0;
    double frameWidth = 0, frameHeight = 0;
    // Display state.
    double blockX = 0, blockY = 0;
    double glowPhase = 0, glowAlpha = 0;
    double serializeLoop = 0;
    TVexmoldSectionMouse sectionMouse;
};

// What the display shows of one signal.
struct MeterReading {
    double rmsDb = 0, rmsBits = 0, peakDb = 0, peakBits = 0;
};

// The values the audio side writes and the display shows, handed to each
// draw through a triple buffer.
struct DisplayValues {
    MeterReading left, right, mid, side;
    double versionDate = 0;
    double frameWidth = 0, frameHeight = 0;
};

// The VST unique ID hosts know the meter by; their saved sessions find it
// again by it.
constexpr uint32_t kUniqueId = 6248;

// Editor surface in pixels.
constexpr int32_t kEditorWidth = 500;
constexpr int32_t kEditorHeight = 250;

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

    // Ends the running window now, however few frames it holds, and makes
    // its results the shown ones: a file's last, shorter window is measured
    // this way. Does nothing when the window is empty.
    void closeWindowEarly();

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

}  // namespace nulltest
