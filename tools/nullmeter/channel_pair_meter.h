// One channel of A against the same channel of B, measured by the null-test
// meter's own measuring unit, A as its left input and B as its right, so the
// numbers are the plug-in's.
#pragma once

#include <cstdint>
#include <functional>

#include "effects/nulltest/window_meter.h"

namespace nullmeter {

// RMS and peak of one signal over a window, in dB FS and bits below full
// scale, as the meter computes them; `rms` is the linear RMS.
using Reading = nulltest::SignalReading;

struct WindowResult {
    int channel = 0;           // 0-based channel pair
    std::int64_t index = 0;    // 1-based, per channel pair
    std::int64_t startFrame = 0, frames = 0;  // in compared frames
    bool partial = false;      // the last window, shorter than the others
    Reading left, right, mid, side;  // A, B, (A + B) / 2, (A - B) / 2
};

using WindowSink = std::function<void(const WindowResult&)>;

class ChannelPairMeter {
  public:
    // `windowSeconds` must be one of the meter's steps (0.1 ... 10 by 0.1).
    ChannelPairMeter(int channel, double sampleRate, double windowSeconds);

    bool ok() const { return windowLength_ > 0.0; }
    std::int64_t windowFrames() const { return windowFrames_; }

    // Measures frames of A and B; every window that closes goes to `sink`.
    void measure(const double* a, const double* b, std::int64_t frames, const WindowSink& sink);
    // Measures the last window if it holds any frames, marked partial.
    void finish(const WindowSink& sink);

  private:
    void report(bool partial, const WindowSink& sink);

    int channel_;
    double windowLength_ = 0;  // frames, as the meter holds it: may have a fraction
    std::int64_t windowFrames_ = 1;
    nulltest::WindowSums sums_;
    std::int64_t measuredFrames_ = 0;
    std::int64_t windows_ = 0;
};

// The window length the meter's slider holds for `seconds`, as a decimal
// (0.3, not the slider's 3 × 0.1), or 0 when it is not one of its steps.
double meterWindowSeconds(double seconds);

}  // namespace nullmeter
